// The object model: reference bookkeeping of every holder, cloning, the singletons and the
// registries.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ecatestsupport.h"

using namespace ecatest;

namespace {

using ModelTest = EcaTest;

TEST_F(ModelTest, CountStartsAtZeroMovesWithHoldersAndIsMinusOneOnceDestroyed) {
  ProbeEvent* event = new ProbeEvent;
  EXPECT_EQ(event->referenceCount(), 0);
  EXPECT_TRUE(event->isAlive());
  event->addReference();
  event->addReference();
  EXPECT_EQ(event->referenceCount(), 2);
  ASSERT_EQ(storedCount(event), 2) << "where the probes look for the count";
  event->releaseReference();
  event->releaseReference();
  event->releaseReference();
  // Over-released: bookkeeping only, so nothing is deleted, but the object no longer counts as
  // alive.
  EXPECT_EQ(event->referenceCount(), -1);
  EXPECT_FALSE(event->isAlive());
  event->addReference();

  const int freedBefore = gProbesFreed;
  // Never registered, and deleted all the same.
  eca::destroyEvent(event);
  EXPECT_EQ(gProbesFreed, freedBefore + 1);
  EXPECT_EQ(gCountWhenFreed, -1);

  // A module's own condition goes through destroyCondition just as well, whatever its count.
  ProbeCondition* condition = new ProbeCondition;
  condition->addReference();
  eca::destroyCondition(condition);
  EXPECT_EQ(gProbesFreed, freedBefore + 2);
  EXPECT_EQ(gCountWhenFreed, -1);
}

TEST_F(ModelTest, StatesNegationsMessagesAndMachinesHoldOneReferenceEach) {
  ECAAction* entry = logs("entry");
  ECAAction* exit = logs("exit");
  ECAProcess* run = process([](ECAMachine&) {});
  ECACondition* inner = condition([](ECAMachine&) { return true; });

  ECAState* first = state(0.5, entry, exit, run);
  EXPECT_EQ(first->duration(), 0.5);
  EXPECT_EQ(entry->referenceCount(), 1);
  EXPECT_EQ(exit->referenceCount(), 1);
  EXPECT_EQ(run->referenceCount(), 1);
  ECAState* second = state(0.0, entry, entry, run);
  EXPECT_EQ(entry->referenceCount(), 3);
  EXPECT_EQ(run->referenceCount(), 2);

  ECACondition* negated = negation(inner);
  EXPECT_EQ(inner->referenceCount(), 1);

  ECAMachineType* machineType = type({first, second}, first, second, {});
  ECAMachine* machine = new ECAMachine(machineType);
  const std::int32_t typeCount = machineType->referenceCount();
  {
    const ECAMessage broadcast(ping);
    EXPECT_EQ(broadcast.machine(), nullptr);
    EXPECT_EQ(broadcast.machineType(), nullptr);
    EXPECT_EQ(ping->referenceCount(), 1);
    const ECAMessage targeted(ping, machine, machineType);
    ECAMessage copy(targeted);
    EXPECT_EQ(ping->referenceCount(), 3);
    EXPECT_EQ(machine->referenceCount(), 2);
    EXPECT_EQ(machineType->referenceCount(), typeCount + 2);
    copy = broadcast;
    EXPECT_EQ(copy, broadcast);
    EXPECT_EQ(machine->referenceCount(), 1);
    copy = copy;
    EXPECT_EQ(ping->referenceCount(), 3);
  }
  EXPECT_EQ(ping->referenceCount(), 0);
  EXPECT_EQ(machine->referenceCount(), 0);
  EXPECT_EQ(machineType->referenceCount(), typeCount);
  delete machine;
  EXPECT_EQ(machineType->referenceCount(), typeCount - 1);

  ECAAction* posting = posts(ECAMessage(pong));
  EXPECT_EQ(pong->referenceCount(), 1);
  ECAAction* postingClone = posting->clone();
  EXPECT_EQ(pong->referenceCount(), 2);
  EXPECT_EQ(static_cast<ECAMessageAction*>(postingClone)->message(), ECAMessage(pong));
  EXPECT_EQ(eca::registeredMessageActions().count(postingClone), 0u) << "clones are not registered";
  delete postingClone;
  EXPECT_EQ(pong->referenceCount(), 1);

  ECACondition* negationClone = negated->clone();
  EXPECT_EQ(inner->referenceCount(), 2);
  EXPECT_EQ(static_cast<ECANegation*>(negationClone)->condition(), inner);
  EXPECT_EQ(eca::registeredNegations().count(negationClone), 0u);
  delete negationClone;
  EXPECT_EQ(inner->referenceCount(), 1);
}

TEST_F(ModelTest, TransitionRecordsMoveTheirFiveReferences) {
  ECAState* a = state();
  ECAState* b = state();
  ECACondition* c = condition([](ECAMachine&) { return true; });
  ECAAction* act = logs("act");
  auto counts = [&] {
    return std::vector<std::int32_t>{a->referenceCount(),    b->referenceCount(), ping->referenceCount(),
                                     pong->referenceCount(), c->referenceCount(), act->referenceCount()};
  };
  {
    ECATransition ab(a, ping, c, act, b);
    EXPECT_EQ(counts(), (std::vector<std::int32_t>{1, 1, 1, 0, 1, 1}));
    ECATransition copy(ab);
    EXPECT_EQ(counts(), (std::vector<std::int32_t>{2, 2, 2, 0, 2, 2}));
    ECATransition other(b, pong, eca::tautology(), eca::nullAction(), b);
    copy = other;
    EXPECT_EQ(counts(), (std::vector<std::int32_t>{1, 5, 1, 2, 1, 1}));
    copy = copy;
    EXPECT_EQ(counts(), (std::vector<std::int32_t>{1, 5, 1, 2, 1, 1}));
    EXPECT_EQ(copy.fromState(), b);
    EXPECT_EQ(copy.event(), pong);
  }
  EXPECT_EQ(counts(), (std::vector<std::int32_t>{0, 0, 0, 0, 0, 0}));
}

TEST_F(ModelTest, MachineTypeReferencesItsSetsButNotItsTransitions) {
  ECAState* a = state();
  ECAState* b = state();
  ECACondition* c = condition([](ECAMachine&) { return false; });
  ECAAction* act = logs("act");

  ECAMachineType* machineType = eca::createMachineType({a, b}, {ping, pong}, {c}, {act}, a, b);
  EXPECT_EQ(eca::registeredMachineTypes().count(machineType), 1u);
  EXPECT_EQ(machineType->referenceCount(), 0);
  EXPECT_EQ(machineType->initialState(), a);
  EXPECT_EQ(machineType->finalState(), b);
  for (ECAObject* held : std::vector<ECAObject*>{a, b, ping, pong, c, act}) {
    EXPECT_EQ(held->referenceCount(), 1);
  }

  machineType->addTransition(ECATransition(a, ping, c, act, b));
  machineType->addTransition(ECATransition(a, ping, eca::tautology(), act, a));
  EXPECT_EQ(machineType->transitions().size(), 2u);
  for (ECAObject* held : std::vector<ECAObject*>{a, b, ping, c, act}) EXPECT_EQ(held->referenceCount(), 1);

  eca::destroyMachineType(machineType);
  EXPECT_EQ(eca::registeredMachineTypes().count(machineType), 0u);
  for (ECAObject* held : std::vector<ECAObject*>{a, b, ping, pong, c, act}) {
    EXPECT_EQ(held->referenceCount(), 0);
  }
}

TEST_F(ModelTest, TransitionsWithOneKeyKeepTheOrderOfAddition) {
  ECAState* a = state();
  ECAState* b = state();
  ECAState* c = state();
  ECACondition* first = condition([](ECAMachine&) { return true; });
  ECACondition* second = condition([](ECAMachine&) { return true; });
  ECACondition* third = condition([](ECAMachine&) { return true; });
  // Added in an order unrelated to the pointers' order, with another key in between.
  ECAMachineType* machineType = type({a, b, c}, a, c,
                                     {ECATransition(a, ping, second, eca::nullAction(), b),
                                      ECATransition(b, ping, first, eca::nullAction(), a),
                                      ECATransition(a, ping, third, eca::nullAction(), a),
                                      ECATransition(a, ping, first, eca::nullAction(), c)});
  auto [candidate, end] = machineType->transitions().equal_range({a, ping});
  std::vector<ECACondition*> conditions;
  std::vector<ECAState*> targets;
  for (; candidate != end; ++candidate) {
    conditions.push_back(candidate->second.condition);
    targets.push_back(candidate->second.toState);
  }
  EXPECT_EQ(conditions, (std::vector<ECACondition*>{second, third, first}));
  EXPECT_EQ(targets, (std::vector<ECAState*>{b, a, c}));
}

TEST_F(ModelTest, SingletonsAreUniqueRefuseCloningAndSurviveEveryDestroyOperation) {
  EXPECT_EQ(eca::nullAction(), eca::nullAction());
  EXPECT_EQ(eca::nullProcess(), eca::nullProcess());
  EXPECT_EQ(eca::tautology(), eca::tautology());
  EXPECT_EQ(eca::stateIsExpired(), eca::stateIsExpired());

  struct Case {
    const char* text;
    std::function<void()> clone;
  };
  const Case cases[] = {
      {"singleton ECANullAction can not be cloned.", [] { eca::nullAction()->clone(); }},
      {"Singleton ECANullProcess can not be cloned.", [] { eca::nullProcess()->clone(); }},
      {"Singleton ECATautology can not be cloned.", [] { eca::tautology()->clone(); }},
      {"Singleton ECAStateIsExpired can not be cloned.", [] { eca::stateIsExpired()->clone(); }},
  };
  for (const Case& c : cases) {
    const DBGException e = caughtException(c.clone);
    EXPECT_STREQ(e.title(), "Error");
    EXPECT_STREQ(e.description(), c.text);
    EXPECT_STREQ(e.file(), "eca");
  }

  const std::int32_t actionCount = eca::nullAction()->referenceCount();
  const std::int32_t processCount = eca::nullProcess()->referenceCount();
  ECAState* s = state();
  EXPECT_EQ(eca::nullAction()->referenceCount(), actionCount + 2);
  EXPECT_EQ(eca::nullProcess()->referenceCount(), processCount + 1);

  eca::destroyAction(eca::nullAction());
  eca::destroyCondition(eca::tautology());
  eca::destroyCondition(eca::stateIsExpired());
  EXPECT_TRUE(eca::nullAction()->isAlive());
  EXPECT_TRUE(eca::tautology()->isAlive());
  EXPECT_TRUE(eca::stateIsExpired()->isAlive());
  EXPECT_EQ(eca::nullAction()->referenceCount(), actionCount + 2);

  // Still usable by a machine afterwards.
  ECAState* end = state();
  ECAMachineType* machineType =
      type({s, end}, s, end, {ECATransition(s, ping, eca::tautology(), eca::nullAction(), end)});
  start(machineType);
  eca::postMessage(ECAMessage(ping));
  eca::tick(0.0);
  EXPECT_TRUE(eca::runningMachines().empty());
}

TEST_F(ModelTest, CreationRegistersAndDestructionUnregisters) {
  ECAEvent* event = eca::createEvent();
  ECAState* s = eca::createState(eca::nullAction(), eca::nullAction(), eca::nullProcess(), 1.0);
  ECANegation* n = eca::createNegation(eca::tautology());
  ECAMessageAction* m = eca::createMessageAction(ECAMessage(event));
  EXPECT_EQ(eca::registeredEvents().count(event), 1u);
  EXPECT_EQ(eca::registeredStates().count(s), 1u);
  EXPECT_EQ(eca::registeredNegations().count(n), 1u);
  EXPECT_EQ(eca::registeredMessageActions().count(m), 1u);
  EXPECT_EQ(event->referenceCount(), 1);

  eca::destroyAction(m);
  EXPECT_EQ(event->referenceCount(), 0);
  eca::destroyCondition(n);
  eca::destroyState(s);
  eca::destroyEvent(event);
  EXPECT_EQ(eca::registeredEvents().count(event), 0u);
  EXPECT_EQ(eca::registeredStates().count(s), 0u);
  EXPECT_EQ(eca::registeredNegations().count(n), 0u);
  EXPECT_EQ(eca::registeredMessageActions().count(m), 0u);
}

TEST_F(ModelTest, NegationInvertsItsInnerCondition) {
  bool holds = false;
  ECACondition* inner = condition([&](ECAMachine&) { return holds; });
  ECACondition* negated = negation(inner);
  ECACondition* doubly = negation(negated);
  ECAState* s = state();
  ECAMachineType* machineType = type({s}, s, s, {});
  ECAMachine machine(machineType);
  for (bool value : {false, true}) {
    holds = value;
    EXPECT_EQ(negated->evaluate(machine), !value);
    EXPECT_EQ(doubly->evaluate(machine), value);
  }
}

TEST_F(ModelTest, ClonedMachineIsFreshWhateverItsOriginHasBeenThrough) {
  ECAState* first = state();
  ECAState* second = state(2.0);
  ECAState* end = state();
  ECAMachineType* machineType =
      type({first, second, end}, first, end,
           {ECATransition(first, ping, eca::tautology(), eca::nullAction(), second)});
  ECAMachine* running = start(machineType);
  eca::postMessage(ECAMessage(ping));
  eca::tick(0.5);
  eca::tick(0.25);
  ASSERT_EQ(running->currentState(), second);
  ASSERT_EQ(running->runningTime(), 0.75);

  const std::int32_t typeCount = machineType->referenceCount();
  ECAMachine* clone = running->clone();
  EXPECT_NE(clone, running);
  EXPECT_EQ(clone->type(), machineType);
  EXPECT_EQ(clone->currentState(), nullptr);
  EXPECT_EQ(clone->runningTime(), 0.0);
  EXPECT_EQ(clone->timeInState(), 0.0);
  EXPECT_EQ(clone->stateDuration(), 0.0);
  EXPECT_TRUE(clone->isValid());
  EXPECT_EQ(clone->referenceCount(), 0);
  EXPECT_EQ(machineType->referenceCount(), typeCount + 1);
  delete clone;
}

TEST_F(ModelTest, StatesAndTransitionsRejectMissingParts) {
  const DBGException missingExit =
      caughtException([] { eca::createState(eca::nullAction(), nullptr, eca::nullProcess(), 0.0); });
  EXPECT_STREQ(missingExit.title(), "Assertion failure");
  EXPECT_STREQ(missingExit.description(), "exitAction");
  EXPECT_STREQ(missingExit.file(), "eca");
  EXPECT_TRUE(eca::registeredStates().empty());

  ECAState* s = state();
  const DBGException missingTarget =
      caughtException([&] { ECATransition(s, ping, eca::tautology(), eca::nullAction(), nullptr); });
  EXPECT_STREQ(missingTarget.description(), "toState");
  EXPECT_EQ(s->referenceCount(), 0);

  EXPECT_STREQ(caughtException([] { ECAMachine machine(nullptr); }).description(), "type");
}

}  // namespace
