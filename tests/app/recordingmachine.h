// A test machine that notes the events it is given and the running time of every tick, and
// runs until QUIT.
#pragma once

#include <cstdint>
#include <vector>

#include "eca/eca.h"
#include "events/vpxevent.h"

struct RecordingLog {
  std::vector<std::int32_t> events;
  std::vector<double> tickTimes;  // the machine's running time as each tick begins
};

class RecordEvent : public ECAAction {
 public:
  RecordEvent(RecordingLog& log, std::int32_t eventID) : mLog(log), mEventID(eventID) {}
  ECAAction* clone() const override { return new RecordEvent(mLog, mEventID); }
  void execute(ECAMachine&) override { mLog.events.push_back(mEventID); }

 private:
  RecordingLog& mLog;
  std::int32_t mEventID;
};

class RecordTime : public ECAProcess {
 public:
  explicit RecordTime(RecordingLog& log) : mLog(log) {}
  ECAProcess* clone() const override { return new RecordTime(mLog); }
  void run(ECAMachine& machine) override { mLog.tickTimes.push_back(machine.runningTime()); }

 private:
  RecordingLog& mLog;
};

// Builds the type on the open events module and starts one machine of it.
class RecordingMachine {
 public:
  RecordingMachine(RecordingLog& log, const std::vector<std::int32_t>& recorded) : mProcess(log) {
    mRunning = eca::createState(eca::nullAction(), eca::nullAction(), &mProcess, 0.0);
    mDone = eca::createState(eca::nullAction(), eca::nullAction(), eca::nullProcess(), 0.0);
    ECAEventSet events{eventForID(VPXEventIDs::QUIT)};
    ECAActionSet actions{eca::nullAction()};
    for (std::int32_t id : recorded) {
      events.insert(eventForID(id));
      mActions.push_back(new RecordEvent(log, id));
      actions.insert(mActions.back());
    }
    mType = eca::createMachineType({mRunning, mDone}, events, {eca::tautology()}, actions, mRunning, mDone);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
      mType->addTransition(
          ECATransition(mRunning, eventForID(recorded[i]), eca::tautology(), mActions[i], mRunning));
    }
    mType->addTransition(
        ECATransition(mRunning, eventForID(VPXEventIDs::QUIT), eca::tautology(), eca::nullAction(), mDone));
    ECAMachine prototype(mType);
    eca::startMachine(&prototype);
  }
  ~RecordingMachine() {
    eca::destroyMachineType(mType);
    eca::destroyState(mDone);
    eca::destroyState(mRunning);
    for (ECAAction* action : mActions) delete action;
  }
  RecordingMachine(const RecordingMachine&) = delete;
  RecordingMachine& operator=(const RecordingMachine&) = delete;

 private:
  RecordTime mProcess;
  std::vector<ECAAction*> mActions;
  ECAState* mRunning;
  ECAState* mDone;
  ECAMachineType* mType;
};
