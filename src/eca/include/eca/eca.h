// ECA (event, condition, action): the state-machine library every screen runs on.
//
// A module describes its behaviour as a machine type (states, events, conditions, actions and
// transitions), builds a prototype machine of that type and starts it with eca::startMachine.
// From then on the machine only reacts to events delivered as messages, and to time, through
// eca::tick, which the main loop calls once per frame.
//
// Reference counts are bookkeeping only: they tell a module whether its objects are still
// held, but nothing is ever deleted because a count reaches 0. Deletion is always explicit,
// through the eca::destroy... operations for what the library created, and through the
// virtual destructor for the modules' own conditions, actions, processes and prototypes.
//
// Typical module set-up:
//
//     ECAState* idle = eca::createState(eca::nullAction(), eca::nullAction(), eca::nullProcess(), 0.0);
//     ECAState* done = eca::createState(eca::nullAction(), eca::nullAction(), eca::nullProcess(), 0.0);
//     ECAMachineType* type = eca::createMachineType({idle, done}, {quit}, {eca::tautology()},
//                                                   {eca::nullAction()}, idle, done);
//     type->addTransition(ECATransition(idle, quit, eca::tautology(), eca::nullAction(), done));
//     ECAMachine* prototype = new ECAMachine(type);
//     eca::startMachine(prototype);
//     delete prototype;
//
// and on close: eca::destroyMachineType(type); eca::destroyState(done); eca::destroyState(idle);
//
// Everything here is single-threaded and keeps program-wide state.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <utility>
#include <vector>

class ECAObject;
class ECACloneable;
class ECAEvent;
class ECACondition;
class ECAAction;
class ECAProcess;
class ECAState;
class ECATransition;
class ECAMachineType;
class ECAMachine;
class ECAMessage;
class ECANullAction;
class ECANullProcess;
class ECATautology;
class ECAStateIsExpired;
class ECANegation;
class ECAMessageAction;

// The four sets of a machine type, ordered by pointer value.
using ECAStateSet = std::set<ECAState*>;
using ECAEventSet = std::set<ECAEvent*>;
using ECAConditionSet = std::set<ECACondition*>;
using ECAActionSet = std::set<ECAAction*>;
using ECAMachineSet = std::set<ECAMachine*>;

namespace eca {
// The built-in singletons: built on first use, never registered, never deleted by the library.
ECANullAction* nullAction();
ECANullProcess* nullProcess();
ECATautology* tautology();
ECAStateIsExpired* stateIsExpired();
}  // namespace eca

// The reference-counted base of every library class.
class ECAObject {
 public:
  ECAObject() = default;
  // An ECA object is an identity: copying one would duplicate its place in every holder's books.
  ECAObject(const ECAObject&) = delete;
  ECAObject& operator=(const ECAObject&) = delete;
  // Sets the count to -1, so a holder that outlives the object can tell.
  virtual ~ECAObject();

  void addReference();
  void releaseReference();
  // True while the count is 0 or more.
  bool isAlive() const;
  std::int32_t referenceCount() const;

 private:
  std::int32_t mReferenceCount = 0;
};

// The cloning interface. Each abstract class below narrows the result to its own type, so an
// override returns (at least) that type, e.g. `ECAAction* clone() const override`.
class ECACloneable {
 public:
  virtual ~ECACloneable();
  // A new heap object of the same class, owned by the caller.
  virtual ECACloneable* clone() const = 0;
};

// An event is an identity and carries no data: two events are equal only if they are the same
// object.
class ECAEvent : public ECAObject {};

class ECACondition : public ECAObject, public ECACloneable {
 public:
  ECACondition* clone() const override = 0;
  virtual bool evaluate(ECAMachine& machine) = 0;
};

class ECAAction : public ECAObject, public ECACloneable {
 public:
  ECAAction* clone() const override = 0;
  virtual void execute(ECAMachine& machine) = 0;
};

// Run once per tick for every running machine, by the machine's current state.
class ECAProcess : public ECAObject, public ECACloneable {
 public:
  ECAProcess* clone() const override = 0;
  virtual void run(ECAMachine& machine) = 0;
};

// Does nothing. Cloning raises an Error.
class ECANullAction final : public ECAAction {
 public:
  ECAAction* clone() const override;
  void execute(ECAMachine& machine) override;

 private:
  ECANullAction() = default;
  friend ECANullAction* eca::nullAction();
};

// Does nothing. Cloning raises an Error.
class ECANullProcess final : public ECAProcess {
 public:
  ECAProcess* clone() const override;
  void run(ECAMachine& machine) override;

 private:
  ECANullProcess() = default;
  friend ECANullProcess* eca::nullProcess();
};

// Always true. Cloning raises an Error.
class ECATautology final : public ECACondition {
 public:
  ECACondition* clone() const override;
  bool evaluate(ECAMachine& machine) override;

 private:
  ECATautology() = default;
  friend ECATautology* eca::tautology();
};

// True once the machine's time in state has reached its state duration (a duration of 0 holds
// at once). Cloning raises an Error.
class ECAStateIsExpired final : public ECACondition {
 public:
  ECACondition* clone() const override;
  bool evaluate(ECAMachine& machine) override;

 private:
  ECAStateIsExpired() = default;
  friend ECAStateIsExpired* eca::stateIsExpired();
};

// The negation of another condition, which it holds by one reference.
class ECANegation : public ECACondition {
 public:
  explicit ECANegation(ECACondition* condition);
  ~ECANegation() override;

  // A new negation of the same inner condition.
  ECACondition* clone() const override;
  bool evaluate(ECAMachine& machine) override;
  ECACondition* condition() const { return mCondition; }

 private:
  ECACondition* mCondition;
};

// A state: what a machine does on entering it, on leaving it and while in it, and how long it
// takes to expire. It holds one reference to each of its two actions and its process; none of
// them may be null (use eca::nullAction and eca::nullProcess).
class ECAState : public ECAObject {
 public:
  ECAState(ECAAction* entryAction, ECAAction* exitAction, ECAProcess* process, double duration);
  ~ECAState() override;

  ECAAction* entryAction() const { return mEntryAction; }
  ECAAction* exitAction() const { return mExitAction; }
  ECAProcess* process() const { return mProcess; }
  // Seconds after which eca::stateIsExpired holds for a machine in this state.
  double duration() const { return mDuration; }

 private:
  ECAAction* mEntryAction;
  ECAAction* mExitAction;
  ECAProcess* mProcess;
  double mDuration;
};

// A transition as a value: while the record exists it holds one reference to each of its five
// objects, and copies and assignments move those references along.
class ECATransition {
 public:
  ECATransition(ECAState* fromState, ECAEvent* event, ECACondition* condition, ECAAction* action,
                ECAState* toState);
  ECATransition(const ECATransition& other);
  ECATransition& operator=(const ECATransition& other);
  ~ECATransition();

  ECAState* fromState() const { return mFromState; }
  ECAEvent* event() const { return mEvent; }
  ECACondition* condition() const { return mCondition; }
  ECAAction* action() const { return mAction; }
  ECAState* toState() const { return mToState; }

 private:
  void addReferences() const;
  void releaseReferences() const;

  ECAState* mFromState;
  ECAEvent* mEvent;
  ECACondition* mCondition;
  ECAAction* mAction;
  ECAState* mToState;
};

// What a machine type keeps of an added transition, under the key (from state, event). The
// pointers carry no references of their own.
struct ECATransitionTarget {
  ECACondition* condition;
  ECAAction* action;
  ECAState* toState;
};
using ECATransitionKey = std::pair<ECAState*, ECAEvent*>;
// Transitions with equal keys keep the order in which they were added.
using ECATransitionMap = std::multimap<ECATransitionKey, ECATransitionTarget>;

class ECAMachineType : public ECAObject {
 public:
  // Copies the four sets and adds one reference to each of their elements.
  ECAMachineType(const ECAStateSet& states, const ECAEventSet& events, const ECAConditionSet& conditions,
                 const ECAActionSet& actions, ECAState* initialState, ECAState* finalState);
  // Releases the four sets and the running machines, and forgets the transitions.
  ~ECAMachineType() override;

  // Appended after any transition with the same from state and event.
  void addTransition(const ECATransition& transition);

  const ECAStateSet& states() const { return mStates; }
  const ECAEventSet& events() const { return mEvents; }
  const ECAConditionSet& conditions() const { return mConditions; }
  const ECAActionSet& actions() const { return mActions; }
  ECAState* initialState() const { return mInitialState; }
  ECAState* finalState() const { return mFinalState; }
  const ECATransitionMap& transitions() const { return mTransitions; }
  // The running machines of this type, each referenced once.
  const ECAMachineSet& runningMachines() const { return mRunningMachines; }

 private:
  friend struct ECALibrary;

  ECAStateSet mStates;
  ECAEventSet mEvents;
  ECAConditionSet mConditions;
  ECAActionSet mActions;
  ECAState* mInitialState;
  ECAState* mFinalState;
  ECATransitionMap mTransitions;
  ECAMachineSet mRunningMachines;
};

// A machine of a type. One built by a module is a prototype (no state, all times 0);
// eca::startMachine runs a clone of it. A subclass that adds data overrides clone to return a
// fresh machine of its own class.
class ECAMachine : public ECAObject, public ECACloneable {
 public:
  // Holds one reference to the type, which must not be null.
  explicit ECAMachine(ECAMachineType* type);
  ~ECAMachine() override;

  // A fresh machine of the same type: no state and no time are copied.
  ECAMachine* clone() const override;

  ECAMachineType* type() const { return mType; }
  // Null until the machine is started, and again once it has finished.
  ECAState* currentState() const { return mCurrentState; }
  // Seconds since the machine was started.
  double runningTime() const { return mRunningTime; }
  // Seconds since the machine last entered a state.
  double timeInState() const { return mTimeInState; }
  // The current state's duration, copied on entry.
  double stateDuration() const { return mStateDuration; }
  bool isValid() const;

  // Fires the first transition, in the order they were added, whose key is (current state,
  // event) and whose condition holds: exit action, transition action, enter the new state
  // (time in state 0), entry action. At most one transition fires.
  void handleEvent(ECAEvent* event);

 private:
  friend struct ECALibrary;

  void enterState(ECAState* state);

  ECAMachineType* mType;
  ECAState* mCurrentState = nullptr;
  double mRunningTime = 0.0;
  double mTimeInState = 0.0;
  double mStateDuration = 0.0;
};

// An event with its target: both targets null is a broadcast to every running machine; a type
// alone targets that type's running machines; a type and a machine target that machine. A
// machine without a type is not a valid target. Holds a reference to each non-null pointer.
class ECAMessage {
 public:
  // A broadcast.
  explicit ECAMessage(ECAEvent* event);
  ECAMessage(ECAEvent* event, ECAMachine* machine, ECAMachineType* machineType);
  ECAMessage(const ECAMessage& other);
  ECAMessage& operator=(const ECAMessage& other);
  ~ECAMessage();

  ECAEvent* event() const { return mEvent; }
  ECAMachine* machine() const { return mMachine; }
  ECAMachineType* machineType() const { return mMachineType; }

  bool operator==(const ECAMessage& other) const {
    return mEvent == other.mEvent && mMachine == other.mMachine && mMachineType == other.mMachineType;
  }

 private:
  void addReferences() const;
  void releaseReferences() const;

  ECAEvent* mEvent;
  ECAMachine* mMachine;
  ECAMachineType* mMachineType;
};

// Posts a copy of its message when executed.
class ECAMessageAction : public ECAAction {
 public:
  explicit ECAMessageAction(const ECAMessage& message);

  // A new message action with an equal message.
  ECAAction* clone() const override;
  void execute(ECAMachine& machine) override;
  const ECAMessage& message() const { return mMessage; }

 private:
  ECAMessage mMessage;
};

namespace eca {
// Creation: each allocates, registers and returns a new object.
ECAEvent* createEvent();
ECAState* createState(ECAAction* entryAction, ECAAction* exitAction, ECAProcess* process, double duration);
ECANegation* createNegation(ECACondition* condition);
ECAMessageAction* createMessageAction(const ECAMessage& message);
ECAMachineType* createMachineType(const ECAStateSet& states, const ECAEventSet& events,
                                  const ECAConditionSet& conditions, const ECAActionSet& actions,
                                  ECAState* initialState, ECAState* finalState);

// Destruction: each unregisters the object (if registered) and deletes it through its virtual
// destructor, whatever its reference count. The order is the caller's duty: a machine type
// after its machines have finished and before what it holds. The singletons are left alone.
void destroyEvent(ECAEvent* event);
void destroyState(ECAState* state);
void destroyCondition(ECACondition* condition);
void destroyAction(ECAAction* action);
void destroyMachineType(ECAMachineType* machineType);

// Clones the prototype, enters the type's initial state (running its entry action), appends
// the clone to the running machines and returns it. The caller still owns the prototype.
// Not to be called from actions, processes or conditions.
ECAMachine* startMachine(const ECAMachine* prototype);

// Appends a copy of the message to the queue. Safe from actions and processes.
void postMessage(const ECAMessage& message);

// One step of every running machine: run the current states' processes, advance the clocks by
// step seconds, deliver every queued message (including those posted meanwhile), then finish
// and delete the machines that are in their type's final state. Not reentrant.
void tick(double step);

// Drops every queued message without delivering it. Not to be called from inside tick.
void clearMessages();

// The running machines, in the order they were started.
const std::vector<ECAMachine*>& runningMachines();

// The queue, front first.
const std::deque<ECAMessage>& queuedMessages();

// The registries of what was created here and not yet destroyed.
const ECAEventSet& registeredEvents();
const ECAStateSet& registeredStates();
const ECAConditionSet& registeredNegations();
const ECAActionSet& registeredMessageActions();
const std::set<ECAMachineType*>& registeredMachineTypes();
}  // namespace eca
