// Running machines: starting, the four phases of a tick, message targets, transition choice,
// expiry and finishing.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ecatestsupport.h"

using namespace ecatest;

namespace {

using ExecutionTest = EcaTest;

std::string timesOf(const ECAMachine& machine) {
  return std::to_string(machine.runningTime()).substr(0, 4) + "/" +
         std::to_string(machine.timeInState()).substr(0, 4);
}

TEST_F(ExecutionTest, StartRunsACloneInTheInitialStateAndLeavesThePrototypeAlone) {
  ECAMachine* entered = nullptr;
  ECAState* first = state(0.75, action([&](ECAMachine& m) {
                            entered = &m;
                            log.push_back("entry");
                          }));
  ECAState* end = state();
  ECAMachineType* machineType = type({first, end}, first, end, {});

  ECAMachine prototype(machineType);
  ECAMachine* running = eca::startMachine(&prototype);
  EXPECT_NE(running, &prototype);
  EXPECT_EQ(prototype.currentState(), nullptr);
  EXPECT_EQ(prototype.referenceCount(), 0);

  EXPECT_EQ(entered, running);
  EXPECT_EQ(log, Log{"entry"});
  EXPECT_EQ(running->currentState(), first);
  EXPECT_EQ(running->stateDuration(), 0.75);
  EXPECT_EQ(running->timeInState(), 0.0);
  EXPECT_EQ(running->runningTime(), 0.0);
  EXPECT_EQ(eca::runningMachines(), std::vector<ECAMachine*>{running});
  EXPECT_EQ(machineType->runningMachines(), ECAMachineSet{running});
  EXPECT_EQ(running->referenceCount(), 1);

  // A second start from the same prototype is an independent machine.
  ECAMachine* another = eca::startMachine(&prototype);
  eca::postMessage(to(another, quit));
  eca::tick(0.0);
  EXPECT_EQ(eca::runningMachines(), std::vector<ECAMachine*>{running});
}

TEST_F(ExecutionTest, TickRunsProcessesThenClocksThenMessagesThenFinishing) {
  ECAState* working = state(0.0, logs("enter working"),
                            action([&](ECAMachine& m) { log.push_back("exit working " + timesOf(m)); }),
                            process([&](ECAMachine& m) { log.push_back("process " + timesOf(m)); }));
  ECAState* done =
      state(0.0, logs("enter done"), action([&](ECAMachine& m) { log.push_back("exit done " + timesOf(m)); }),
            process([&](ECAMachine&) { log.push_back("process done"); }));
  ECACondition* asks = condition([&](ECAMachine& m) {
    log.push_back("condition " + timesOf(m));
    return true;
  });
  ECAMachineType* machineType =
      type({working, done}, working, done, {ECATransition(working, ping, asks, logs("fire"), done)});
  start(machineType);
  log.clear();

  eca::tick(0.25);
  EXPECT_EQ(log, (Log{"process 0.00/0.00"}));
  log.clear();

  eca::postMessage(ECAMessage(ping));
  eca::tick(0.25);
  EXPECT_EQ(log, (Log{"process 0.25/0.25", "condition 0.50/0.50", "exit working 0.50/0.50", "fire",
                      "enter done", "exit done 0.50/0.00"}));
  EXPECT_TRUE(eca::runningMachines().empty());
}

TEST_F(ExecutionTest, MessagesPostedDuringDeliveryComeInTheSameTickAfterThoseWaiting) {
  // Each machine posts pong on entering `waiting`; a tock queued before the pings' effects
  // must still be seen first.
  ECAState* idle = state();
  ECAState* waiting = state(0.0, posts(ECAMessage(pong)));
  ECAState* ticked = state();
  ECAState* answered = state();
  ECAState* end = state();
  auto named = [](ECAMachine& m) {
    return std::string(&m == eca::runningMachines()[0] ? "first" : "second");
  };
  ECAMachineType* machineType =
      type({idle, waiting, ticked, answered, end}, idle, end,
           {ECATransition(idle, ping, eca::tautology(),
                          action([&](ECAMachine& m) { log.push_back(named(m) + " ping"); }), waiting),
            ECATransition(waiting, tock, eca::tautology(),
                          action([&](ECAMachine& m) { log.push_back(named(m) + " tock"); }), ticked),
            ECATransition(ticked, pong, eca::tautology(),
                          action([&](ECAMachine& m) { log.push_back(named(m) + " pong"); }), answered)});
  start(machineType);
  start(machineType);

  eca::postMessage(ECAMessage(ping));
  eca::postMessage(ECAMessage(tock));
  eca::tick(0.0);
  EXPECT_EQ(log,
            (Log{"first ping", "second ping", "first tock", "second tock", "first pong", "second pong"}));
  EXPECT_TRUE(eca::queuedMessages().empty()) << "the second pong is drained in the same tick";
  for (ECAMachine* m : eca::runningMachines()) EXPECT_EQ(m->currentState(), answered);
}

TEST_F(ExecutionTest, FirstAddedTransitionWhoseConditionHoldsFiresAndTheRestAreNotAsked) {
  bool aHolds = false;
  bool bHolds = false;
  ECAState* from = state();
  ECAState* toA = state();
  ECAState* toB = state();
  ECAState* end = state();
  ECACondition* a = condition([&](ECAMachine&) {
    log.push_back("A");
    return aHolds;
  });
  ECACondition* b = condition([&](ECAMachine&) {
    log.push_back("B");
    return bHolds;
  });
  ECAMachineType* machineType = type(
      {from, toA, toB, end}, from, end,
      {ECATransition(from, ping, a, logs("fire A"), toA), ECATransition(from, ping, b, logs("fire B"), toB)});
  struct Case {
    bool a, b;
    ECAState* expected;
    Log asked;
  };
  const Case cases[] = {
      {true, true, toA, {"A", "fire A"}},
      {true, false, toA, {"A", "fire A"}},
      {false, true, toB, {"A", "B", "fire B"}},
      {false, false, from, {"A", "B"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + std::to_string(c.b));
    aHolds = c.a;
    bHolds = c.b;
    ECAMachine* machine = start(machineType);
    log.clear();
    // Only the new machine: the earlier cases' machines are still running.
    eca::postMessage(to(machine, ping));
    eca::tick(0.0);
    EXPECT_EQ(log, c.asked);
    EXPECT_EQ(machine->currentState(), c.expected);
  }
}

TEST_F(ExecutionTest, StateExpiresWhenTheTimeInStateReachesItsDurationExactly) {
  ECAState* waiting = state(0.5);
  ECAState* instant = state(0.0);
  ECAState* after = state();
  ECAState* end = state();
  ECAMachineType* machineType =
      type({waiting, instant, after, end}, waiting, end,
           {ECATransition(waiting, update, eca::stateIsExpired(), eca::nullAction(), instant),
            ECATransition(instant, update, eca::stateIsExpired(), eca::nullAction(), after)});
  ECAMachine* machine = start(machineType);

  eca::postMessage(ECAMessage(update));
  eca::tick(0.25);
  EXPECT_EQ(machine->currentState(), waiting) << "0.25 of 0.5";
  EXPECT_FALSE(eca::stateIsExpired()->evaluate(*machine));

  // The tick in which the steps reach the duration: expired, left on the first update, and the
  // zero-length state entered meanwhile is expired for the next update of the same tick.
  eca::postMessage(ECAMessage(update));
  eca::postMessage(ECAMessage(ping));
  eca::postMessage(ECAMessage(update));
  eca::tick(0.25);
  EXPECT_EQ(machine->currentState(), after);
  EXPECT_EQ(machine->timeInState(), 0.0);
}

TEST_F(ExecutionTest, ZeroDurationStateWaitsForTheNextUpdate) {
  ECAState* first = state();
  ECAState* instant = state(0.0);
  ECAState* after = state();
  ECAState* end = state();
  ECAMachineType* machineType =
      type({first, instant, after, end}, first, end,
           {ECATransition(first, ping, eca::tautology(), eca::nullAction(), instant),
            ECATransition(instant, update, eca::stateIsExpired(), eca::nullAction(), after)});
  ECAMachine* machine = start(machineType);
  eca::postMessage(ECAMessage(ping));
  eca::tick(0.25);
  EXPECT_EQ(machine->currentState(), instant) << "expiry does nothing by itself";
  EXPECT_TRUE(eca::stateIsExpired()->evaluate(*machine));
  eca::postMessage(ECAMessage(update));
  eca::tick(0.25);
  EXPECT_EQ(machine->currentState(), after);
}

TEST_F(ExecutionTest, SelfTransitionEveryFrameKeepsAStateFromExpiring) {
  ECAState* looping = state(0.5, logs("entry"), logs("exit"));
  ECAState* expired = state();
  ECAState* end = state();
  ECAMachineType* machineType =
      type({looping, expired, end}, looping, end,
           {ECATransition(looping, update, eca::stateIsExpired(), eca::nullAction(), expired),
            ECATransition(looping, update, eca::tautology(), logs("again"), looping)});
  ECAMachine* machine = start(machineType);
  log.clear();
  for (int frame = 0; frame < 4; ++frame) {
    eca::postMessage(ECAMessage(update));
    eca::tick(0.25);
    EXPECT_EQ(machine->currentState(), looping);
    EXPECT_EQ(machine->timeInState(), 0.0);
  }
  EXPECT_EQ(machine->runningTime(), 1.0);
  EXPECT_EQ(log.size(), 12u);
  EXPECT_EQ((Log{log.begin(), log.begin() + 3}), (Log{"exit", "again", "entry"}));
}

TEST_F(ExecutionTest, FinishedMachinesAreDeletedAtTheEndOfTheTickAndTheirExitMessagesWait) {
  ECAState* running = state();
  ECAState* last = state(0.0, logs("final entry"), posts(ECAMessage(pong)));
  ECAMachineType* finishing = type({running, last}, running, last, {});

  ECAState* listening = state();
  ECAState* heard = state();
  ECAState* listenerEnd = state();
  ECAMachineType* listener = type({listening, heard, listenerEnd}, listening, listenerEnd,
                                  {ECATransition(listening, pong, eca::tautology(), logs("heard"), heard)});

  ECAMachine* firstMachine = start(finishing);
  ECAMachine* doomed = start(finishing);
  ECAMachine* ear = start(listener);
  ECAMachine* lastMachine = start(finishing);
  EXPECT_EQ(finishing->referenceCount(), 3);

  eca::postMessage(to(doomed, quit));
  eca::tick(0.0);
  EXPECT_EQ(log, Log{"final entry"});
  EXPECT_EQ(eca::runningMachines(), (std::vector<ECAMachine*>{firstMachine, ear, lastMachine}));
  EXPECT_EQ(finishing->runningMachines(), (ECAMachineSet{firstMachine, lastMachine}));
  EXPECT_EQ(finishing->referenceCount(), 2) << "the deleted machine released its type";
  ASSERT_EQ(eca::queuedMessages().size(), 1u);
  EXPECT_EQ(eca::queuedMessages().front(), ECAMessage(pong));
  EXPECT_EQ(ear->currentState(), listening);

  eca::tick(0.0);
  EXPECT_EQ(ear->currentState(), heard);
}

TEST_F(ExecutionTest, LibraryDeletesAFinishedMachineThroughItsOwnClass) {
  ECAState* only =
      state(0.0, logs("entry"), logs("exit"), process([&](ECAMachine&) { log.push_back("process"); }));
  // Initial and final at once: one process run, then finished at the end of the first tick.
  ECAMachineType* machineType = type({only}, only, only, {});
  ProbeMachine prototype(machineType);
  ECAMachine* running = eca::startMachine(&prototype);
  EXPECT_NE(dynamic_cast<ProbeMachine*>(running), nullptr);
  const int freedBefore = gProbesFreed;

  eca::tick(0.5);
  EXPECT_EQ(log, (Log{"entry", "process", "exit"}));
  EXPECT_TRUE(eca::runningMachines().empty());
  EXPECT_TRUE(machineType->runningMachines().empty());
  EXPECT_EQ(gProbesFreed, freedBefore + 1);
  EXPECT_EQ(gCountWhenFreed, -1) << "released once (0) and then destroyed";
}

TEST_F(ExecutionTest, ClearMessagesDropsTheQueueWithoutCallingAnything) {
  ECAState* idle = state();
  ECAState* moved = state();
  ECAState* end = state();
  ECAMachineType* machineType = type({idle, moved, end}, idle, end,
                                     {ECATransition(idle, ping, eca::tautology(), logs("fired"), moved)});
  ECAMachine* machine = start(machineType);
  const std::int32_t pingHeld = ping->referenceCount();
  eca::postMessage(ECAMessage(ping));
  eca::postMessage(to(machine, ping));
  EXPECT_EQ(ping->referenceCount(), pingHeld + 2);
  EXPECT_EQ(machine->referenceCount(), 2);

  eca::clearMessages();
  EXPECT_TRUE(eca::queuedMessages().empty());
  EXPECT_EQ(ping->referenceCount(), pingHeld);
  EXPECT_EQ(machine->referenceCount(), 1);
  eca::tick(0.0);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(machine->currentState(), idle);
}

TEST_F(ExecutionTest, EachKindOfTargetReachesItsMachinesInOrder) {
  auto heard = [&](const char* name) {
    ECAState* idle = state();
    ECAState* end = state();
    return type({idle, end}, idle, end, {ECATransition(idle, ping, eca::tautology(), logs(name), idle)});
  };
  ECAMachineType* red = heard("red");
  ECAMachineType* blue = heard("blue");
  // Started in an order of their own, so the broadcast order is not an accident of the types.
  ECAMachine* blue1 = start(blue);
  start(red);
  start(blue);
  start(red);

  eca::postMessage(ECAMessage(ping));
  eca::tick(0.0);
  EXPECT_EQ(log, (Log{"blue", "red", "blue", "red"}));

  log.clear();
  eca::postMessage(ECAMessage(ping, nullptr, red));
  eca::tick(0.0);
  EXPECT_EQ(log, (Log{"red", "red"}));

  log.clear();
  eca::postMessage(to(blue1, ping));
  eca::tick(0.0);
  EXPECT_EQ(log, Log{"blue"});
}

TEST_F(ExecutionTest, MessageWithAMachineButNoTypeIsUnsupported) {
  ECAState* idle = state();
  ECAState* end = state();
  ECAMachine* machine = start(type({idle, end}, idle, end, {}));
  eca::postMessage(ECAMessage(ping, machine, nullptr));
  const DBGException e = caughtException([] { eca::tick(0.0); });
  EXPECT_STREQ(e.title(), "Error");
  EXPECT_STREQ(e.description(), "Unsupported message.");
  EXPECT_STREQ(e.file(), "eca");
}

// A whole module's life, built and torn down by hand in the documented order; afterwards no
// object is held by anything any more.
TEST(EcaModuleLifecycle, EveryReferenceIsBalancedOnceTheModuleHasClosed) {
  const std::int32_t nullActionBefore = eca::nullAction()->referenceCount();
  const std::int32_t nullProcessBefore = eca::nullProcess()->referenceCount();
  const std::int32_t tautologyBefore = eca::tautology()->referenceCount();
  const std::int32_t expiredBefore = eca::stateIsExpired()->referenceCount();

  ECAEvent* update = eca::createEvent();
  ECAEvent* quit = eca::createEvent();
  ECAEvent* done = eca::createEvent();
  int frames = 0;
  BodyAction* count = new BodyAction([&](ECAMachine&) { ++frames; });
  BodyProcess* idle = new BodyProcess([](ECAMachine&) {});
  TestCondition* never = new TestCondition([](ECAMachine&) { return false; });
  ECAMessageAction* announce = eca::createMessageAction(ECAMessage(done));
  ECANegation* notExpired = eca::createNegation(eca::stateIsExpired());

  ECAState* showing = eca::createState(count, announce, idle, 0.25);
  ECAState* resting = eca::createState(eca::nullAction(), eca::nullAction(), eca::nullProcess(), 0.0);
  ECAState* closed = eca::createState(eca::nullAction(), announce, eca::nullProcess(), 0.0);

  ECAMachineType* machineType =
      eca::createMachineType({showing, resting, closed}, {update, quit, done},
                             {eca::tautology(), eca::stateIsExpired(), notExpired, never},
                             {eca::nullAction(), count, announce}, showing, closed);
  {
    const ECATransition transitions[] = {
        ECATransition(showing, update, never, count, closed),
        ECATransition(showing, update, eca::stateIsExpired(), eca::nullAction(), resting),
        ECATransition(showing, update, notExpired, count, showing),
        ECATransition(resting, done, eca::tautology(), count, resting),
        ECATransition(resting, quit, eca::tautology(), eca::nullAction(), closed),
    };
    for (const ECATransition& t : transitions) machineType->addTransition(t);
  }
  ECAMachine* prototype = new ECAMachine(machineType);
  eca::startMachine(prototype);
  delete prototype;

  for (int frame = 0; frame < 3; ++frame) {
    eca::postMessage(ECAMessage(update));
    eca::tick(0.25);
  }
  eca::postMessage(ECAMessage(quit));
  eca::tick(0.25);
  EXPECT_TRUE(eca::runningMachines().empty());
  EXPECT_EQ(frames, 2) << "entering, then the announcement heard while resting";
  eca::clearMessages();  // the final state's exit announcement

  eca::destroyMachineType(machineType);
  EXPECT_EQ(notExpired->referenceCount(), 0);
  EXPECT_EQ(never->referenceCount(), 0);
  eca::destroyCondition(notExpired);
  delete never;
  eca::destroyState(closed);
  eca::destroyState(resting);
  eca::destroyState(showing);
  EXPECT_EQ(announce->referenceCount(), 0);
  EXPECT_EQ(count->referenceCount(), 0);
  EXPECT_EQ(idle->referenceCount(), 0);
  eca::destroyAction(announce);
  delete idle;
  delete count;

  EXPECT_EQ(update->referenceCount(), 0);
  EXPECT_EQ(quit->referenceCount(), 0);
  EXPECT_EQ(done->referenceCount(), 0);
  EXPECT_EQ(eca::nullAction()->referenceCount(), nullActionBefore);
  EXPECT_EQ(eca::nullProcess()->referenceCount(), nullProcessBefore);
  EXPECT_EQ(eca::tautology()->referenceCount(), tautologyBefore);
  EXPECT_EQ(eca::stateIsExpired()->referenceCount(), expiredBefore);
  for (ECAEvent* event : {update, quit, done}) eca::destroyEvent(event);
  EXPECT_TRUE(eca::registeredStates().empty());
  EXPECT_TRUE(eca::registeredMachineTypes().empty());
}

}  // namespace
