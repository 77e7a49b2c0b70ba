// Building blocks for the state-machine tests: actions, processes and conditions whose bodies
// are lambdas, probes that report an object's count at the moment its storage is freed, and a
// fixture that plays the part of a module, tearing down what it built the way modules do.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dbg/dbg.h"
#include "eca/eca.h"
#include "support/caughtexception.h"

namespace ecatest {

using Body = std::function<void(ECAMachine&)>;
using Check = std::function<bool(ECAMachine&)>;
using Log = std::vector<std::string>;

class BodyAction final : public ECAAction {
 public:
  explicit BodyAction(Body body) : mBody(std::move(body)) {}
  ECAAction* clone() const override { return new BodyAction(mBody); }
  void execute(ECAMachine& machine) override { mBody(machine); }

 private:
  Body mBody;
};

class BodyProcess final : public ECAProcess {
 public:
  explicit BodyProcess(Body body) : mBody(std::move(body)) {}
  ECAProcess* clone() const override { return new BodyProcess(mBody); }
  void run(ECAMachine& machine) override { mBody(machine); }

 private:
  Body mBody;
};

class TestCondition final : public ECACondition {
 public:
  explicit TestCondition(Check test) : mTest(std::move(test)) {}
  ECACondition* clone() const override { return new TestCondition(mTest); }
  bool evaluate(ECAMachine& machine) override { return mTest(machine); }

 private:
  Check mTest;
};

// The count an object had when its storage was handed back: after every destructor has run,
// and while the bytes are still ours. No member may be touched then (the sanitizer clears the
// vtable pointer of a destroyed object), so the count is read from the raw bytes, where the
// ABI puts the first member of a polymorphic base: just after the vtable pointer.
// storedCount is checked against referenceCount on live objects.
inline std::int32_t gCountWhenFreed = 0;
inline int gProbesFreed = 0;

inline std::int32_t storedCount(const void* object) {
  std::int32_t count = 0;
  std::memcpy(&count, static_cast<const unsigned char*>(object) + sizeof(void*), sizeof count);
  return count;
}

// The probes derive from ECAObject first, so their storage starts with it.
inline void recordAndFree(void* storage) {
  gCountWhenFreed = storedCount(storage);
  ++gProbesFreed;
  ::operator delete(storage);
}

class ProbeEvent final : public ECAEvent {
 public:
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* storage) { recordAndFree(storage); }
};

class ProbeCondition final : public ECACondition {
 public:
  ECACondition* clone() const override { return new ProbeCondition; }
  bool evaluate(ECAMachine&) override { return true; }
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* storage) { recordAndFree(storage); }
};

// A machine subclass; its clone keeps the class, as a module's machine class must.
class ProbeMachine final : public ECAMachine {
 public:
  explicit ProbeMachine(ECAMachineType* type) : ECAMachine(type) {}
  ECAMachine* clone() const override { return new ProbeMachine(type()); }
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* storage) { recordAndFree(storage); }
};

// Acts as one module: it owns what it builds and, on tear-down, ends its machines with `quit`
// (every state of every type it builds has a last transition to the final state on it), then
// destroys its types, conditions, states and actions in that order, and finally the events.
// Each test leaves the library as empty as it found it.
class EcaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(eca::runningMachines().empty());
    ASSERT_TRUE(eca::queuedMessages().empty());
    for (ECAEvent** event : {&update, &quit, &ping, &pong, &tock}) *event = eca::createEvent();
  }

  void TearDown() override {
    eca::clearMessages();
    eca::postMessage(ECAMessage(quit));
    eca::tick(0.0);
    eca::clearMessages();
    EXPECT_TRUE(eca::runningMachines().empty());
    // Newest first, as modules close: a negation may hold an older one.
    destroyNewestFirst(mTypes, eca::destroyMachineType);
    destroyNewestFirst(mNegations, eca::destroyCondition);
    destroyNewestFirst(mStates, eca::destroyState);
    destroyNewestFirst(mMessageActions, eca::destroyAction);
    while (!mOwn.empty()) mOwn.pop_back();
    for (ECAEvent* event : {update, quit, ping, pong, tock}) {
      EXPECT_EQ(event->referenceCount(), 0);
      eca::destroyEvent(event);
    }
    EXPECT_TRUE(eca::registeredEvents().empty());
    EXPECT_TRUE(eca::registeredStates().empty());
    EXPECT_TRUE(eca::registeredNegations().empty());
    EXPECT_TRUE(eca::registeredMessageActions().empty());
    EXPECT_TRUE(eca::registeredMachineTypes().empty());
  }

  ECAAction* action(Body body) { return own(std::make_unique<BodyAction>(std::move(body))); }
  ECAAction* logs(std::string text) {
    return action([this, text](ECAMachine&) { log.push_back(text); });
  }
  ECAAction* posts(const ECAMessage& message) {
    ECAMessageAction* posting = eca::createMessageAction(message);
    mMessageActions.push_back(posting);
    return posting;
  }
  ECAProcess* process(Body body) { return own(std::make_unique<BodyProcess>(std::move(body))); }
  ECACondition* condition(Check test) { return own(std::make_unique<TestCondition>(std::move(test))); }
  ECACondition* negation(ECACondition* inner) {
    ECANegation* made = eca::createNegation(inner);
    mNegations.push_back(made);
    return made;
  }

  ECAState* state(double duration = 0.0, ECAAction* entry = eca::nullAction(),
                  ECAAction* exit = eca::nullAction(), ECAProcess* run = eca::nullProcess()) {
    ECAState* made = eca::createState(entry, exit, run, duration);
    mStates.push_back(made);
    return made;
  }

  // A type over the given states: the four sets are gathered from the states and transitions,
  // and every state but the final one gets a last transition to the final state on `quit`.
  ECAMachineType* type(const std::vector<ECAState*>& states, ECAState* initial, ECAState* last,
                       std::vector<ECATransition> transitions) {
    for (ECAState* from : states) {
      if (from != last) transitions.emplace_back(from, quit, eca::tautology(), eca::nullAction(), last);
    }
    ECAStateSet stateSet(states.begin(), states.end());
    ECAEventSet events;
    ECAConditionSet conditions;
    ECAActionSet actions;
    for (ECAState* s : states) actions.insert({s->entryAction(), s->exitAction()});
    for (const ECATransition& t : transitions) {
      events.insert(t.event());
      conditions.insert(t.condition());
      actions.insert(t.action());
    }
    ECAMachineType* made = eca::createMachineType(stateSet, events, conditions, actions, initial, last);
    mTypes.push_back(made);
    for (const ECATransition& t : transitions) made->addTransition(t);
    return made;
  }

  // Starts one machine of the type, as a module does: prototype, start, delete the prototype.
  ECAMachine* start(ECAMachineType* machineType) {
    ECAMachine prototype(machineType);
    return eca::startMachine(&prototype);
  }

  // A message for that machine alone.
  static ECAMessage to(ECAMachine* machine, ECAEvent* event) {
    return ECAMessage(event, machine, machine->type());
  }

  ECAEvent* update = nullptr;
  ECAEvent* quit = nullptr;
  ECAEvent* ping = nullptr;
  ECAEvent* pong = nullptr;
  ECAEvent* tock = nullptr;
  Log log;

 private:
  template <typename T, typename Destroy>
  static void destroyNewestFirst(std::vector<T*>& objects, Destroy destroy) {
    for (auto object = objects.rbegin(); object != objects.rend(); ++object) destroy(*object);
    objects.clear();
  }

  template <typename T>
  T* own(std::unique_ptr<T> object) {
    T* raw = object.get();
    mOwn.push_back(std::move(object));
    return raw;
  }

  std::vector<ECAMachineType*> mTypes;
  std::vector<ECACondition*> mNegations;
  std::vector<ECAState*> mStates;
  std::vector<ECAAction*> mMessageActions;
  std::vector<std::unique_ptr<ECAObject>> mOwn;
};

}  // namespace ecatest
