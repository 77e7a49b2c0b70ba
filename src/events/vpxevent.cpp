#include "events/vpxevent.h"

#include <map>

#include "dbg/dbg.h"
#include "eca/eca.h"

DBG_SOURCE("vpxevent");

namespace {
std::map<std::int32_t, ECAEvent*> fEvents;

bool isKeyID(std::int32_t keyID) {
  return (EGCKeyIDs::MIN_KEY_ID < keyID) && (keyID < EGCKeyIDs::MAX_KEY_ID);
}

void postBroadcast(std::int32_t eventID) {
  eca::postMessage(ECAMessage(eventForID(eventID)));
}
}  // namespace

bool eventsAreOpen() {
  return !fEvents.empty();
}

void openEvents() {
  for (std::int32_t id = VPXEventIDs::MIN_EVENT_ID + 1; id < VPXEventIDs::MAX_EVENT_ID; ++id) {
    ECAEvent* event = eca::createEvent();
    DBG_ASSERT(event);
    fEvents[id] = event;
  }
  window()->addMessageHandler(&keyHandler());
}

void closeEvents() {
  window()->removeMessageHandler(&keyHandler());
  // No message may outlive the event it names.
  eca::clearMessages();
  while (!fEvents.empty()) {
    eca::destroyEvent(fEvents.begin()->second);
    fEvents.erase(fEvents.begin());
  }
}

ECAEvent* eventForID(std::int32_t eventID) {
  auto found = fEvents.find(eventID);
  return found == fEvents.end() ? nullptr : found->second;
}

bool VPXKeyHandler::onKeyDown(EGCWindow*, std::int32_t keyID) {
  if (!isKeyID(keyID)) DBG_ERROR("Unknown key ID.");
  postBroadcast(VPXEventIDs::KEY_DOWN_BASE + keyID);
  return true;
}

bool VPXKeyHandler::onKeyUp(EGCWindow*, std::int32_t keyID) {
  if (!isKeyID(keyID)) DBG_ERROR("Unknown key ID.");
  postBroadcast(VPXEventIDs::KEY_UP_BASE + keyID);
  return true;
}

bool VPXKeyHandler::onClose(EGCWindow*) {
  // The same end as the menu's exit item: every machine leaves on QUIT and the loop stops.
  postBroadcast(VPXEventIDs::QUIT);
  return true;
}

VPXKeyHandler& keyHandler() {
  static VPXKeyHandler handler;
  return handler;
}
