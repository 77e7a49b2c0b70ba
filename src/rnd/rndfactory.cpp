#include <memory>
#include <new>
#include <set>

#include "dbg/dbg.h"
#include "rnd/rnd.h"
#include "rnd/rndparkmiller.h"
#include "rnd/rndregister256.h"
#include "rnd/rndtoolimp.h"

DBG_SOURCE("rndfactory");

namespace {
// The tools handed out and not yet closed. Tools still here at exit are not destroyed: the
// set only records them.
std::set<const RNDTool*> openTools;

RNDToolImp* newTool(const RNDGenerator& generator) {
  RNDToolImp* toolImp = new (std::nothrow) RNDToolImp(generator, POLAR_GAUSSEAN_METHOD);
  DBG_ASSERT_TEXT(toolImp, "toolImp&&\"ToolImp created successfully.\"");
  return toolImp;
}
}  // namespace

RNDTool* openRandomTool(std::int32_t generatorID, std::int32_t initializerID, std::uint32_t seedFlags) {
  DBG_ASSERT_TEXT((generatorID > FIRST_GENERATOR) && (generatorID < LAST_GENERATOR),
                  "(generatorID>FIRST_GENERATOR)&&(generatorID<LAST_GENERATOR)&&\"Valid generatorID\"");
  DBG_ASSERT_TEXT(generatorID != NULL_GENERATOR, "(generatorID!=NULL_GENERATOR)&&\"Valid generatorID\"");
  DBG_ASSERT_TEXT((initializerID > FIRST_GENERATOR) && (initializerID < LAST_GENERATOR),
                  "(initializerID>FIRST_GENERATOR)&&(initializerID<LAST_GENERATOR)&&\"Valid initializerID\"");

  // Every constructor keeps clones, so the generators made here are temporaries.
  std::unique_ptr<RNDTool> tool;
  switch (generatorID) {
    case PARK_MILLER_GENERATOR:
      tool.reset(newTool(RNDParkMiller()));
      break;
    case REGISTER256_GENERATOR:
      switch (initializerID) {
        case NULL_GENERATOR:
          DBG_ERROR("The null random generator can't be used to initialize a register256 random generator.");
        case PARK_MILLER_GENERATOR:
          tool.reset(newTool(RNDRegister256(RNDParkMiller())));
          break;
        case REGISTER256_GENERATOR:
          DBG_ERROR("Register256 can't be used as initializer for another register256.");
        default:
          DBG_ERROR("Unknown initializer ID.");
      }
      break;
    default:
      DBG_ERROR("Unknown generator ID.");
  }

  // A failing clock must not leak the tool.
  tool->setSeed(static_cast<double>(makeSeed(seedFlags)));
  openTools.insert(tool.get());
  return tool.release();
}

void closeRandomTool(RNDTool* tool) {
  DBG_ASSERT_TEXT(tool, "tool&&\"Valid random tool pointer.\"");
  DBG_ASSERT_TEXT(openTools.find(tool) != openTools.end(),
                  "openTools.find(tool)!=openTools.end()&&\"Tool is among open tools.\"");
  openTools.erase(tool);
  delete tool;
}

bool randomToolIsOpen(const RNDTool* tool) {
  return openTools.find(tool) != openTools.end();
}
