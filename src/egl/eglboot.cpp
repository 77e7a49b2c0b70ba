#include "egl/eglboot.h"

#include <memory>
#include <set>

#include "dbg/dbg.h"
#include "eglimp.h"

DBG_SOURCE("eglboot");

namespace {

std::set<const EGL*>& openEGLs() {
  static std::set<const EGL*> egls;
  return egls;
}

}  // namespace

EGL* openEGL(std::int32_t kind, void* windowHandle) {
  std::unique_ptr<EGLBackEnd> backEnd;
  switch (kind) {
    case OPENGL_IMPLEMENTATION:
      backEnd = makeOpenGLBackEnd(windowHandle);
      break;
    case HEADLESS_IMPLEMENTATION:
      backEnd = makeHeadlessBackEnd();
      break;
    default:
      DBG_ERROR("Unknown EGL implementation.");
  }
  EGL* eGL = new EGLCore(std::move(backEnd), windowHandle);
  DBG_ASSERT(eGL);
  openEGLs().insert(eGL);
  return eGL;
}

void closeEGL(EGL* egl) {
  DBG_ASSERT(isOpenEGL(egl));
  static_cast<EGLCore*>(egl)->checkDestroyable();
  openEGLs().erase(egl);
  delete egl;
}

bool isOpenEGL(const EGL* egl) {
  return openEGLs().count(egl) != 0;
}
