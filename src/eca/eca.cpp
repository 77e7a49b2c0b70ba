#include "eca/eca.h"

#include <algorithm>
#include <new>

#include "dbg/dbg.h"

DBG_SOURCE("eca");

namespace {
void addReferenceTo(ECAObject* object) {
  if (object) object->addReference();
}

void releaseReferenceTo(ECAObject* object) {
  if (object) object->releaseReference();
}

// Everything the library keeps for the whole program. Built on first use so that no other
// static object can reach it before it exists.
struct LibraryState {
  ECAEventSet events;
  ECAStateSet states;
  ECAConditionSet negations;
  ECAActionSet messageActions;
  std::set<ECAMachineType*> machineTypes;
  std::vector<ECAMachine*> runningMachines;
  std::deque<ECAMessage> queue;
};

LibraryState& library() {
  static LibraryState state;
  return state;
}
}  // namespace

// The library's access to the execution state of machines and types.
struct ECALibrary {
  static void start(ECAMachine& machine) {
    ECAState* initialState = machine.mType->mInitialState;
    machine.enterState(initialState);
    initialState->entryAction()->execute(machine);
    library().runningMachines.push_back(&machine);
    machine.mType->mRunningMachines.insert(&machine);
    machine.addReference();
  }

  static void advance(ECAMachine& machine, double step) {
    machine.mRunningTime += step;
    machine.mTimeInState += step;
  }

  static bool isFinished(const ECAMachine& machine) {
    return machine.mCurrentState == machine.mType->mFinalState;
  }

  static void finish(ECAMachine* machine) {
    machine->mCurrentState->exitAction()->execute(*machine);
    machine->mCurrentState = nullptr;
    machine->mType->mRunningMachines.erase(machine);
    machine->releaseReference();
    delete machine;
  }
};

ECAObject::~ECAObject() {
  // A volatile store: the optimiser may otherwise drop a write to an object whose lifetime is
  // ending, and the -1 is what tells a holder that outlived it.
  *static_cast<volatile std::int32_t*>(&mReferenceCount) = -1;
}

void ECAObject::addReference() {
  ++mReferenceCount;
}

void ECAObject::releaseReference() {
  --mReferenceCount;
}

bool ECAObject::isAlive() const {
  return mReferenceCount >= 0;
}

std::int32_t ECAObject::referenceCount() const {
  return mReferenceCount;
}

ECACloneable::~ECACloneable() = default;

// The singletons.

ECAAction* ECANullAction::clone() const {
  DBG_ERROR("singleton ECANullAction can not be cloned.");
}

void ECANullAction::execute(ECAMachine&) {}

ECAProcess* ECANullProcess::clone() const {
  DBG_ERROR("Singleton ECANullProcess can not be cloned.");
}

void ECANullProcess::run(ECAMachine&) {}

ECACondition* ECATautology::clone() const {
  DBG_ERROR("Singleton ECATautology can not be cloned.");
}

bool ECATautology::evaluate(ECAMachine&) {
  return true;
}

ECACondition* ECAStateIsExpired::clone() const {
  DBG_ERROR("Singleton ECAStateIsExpired can not be cloned.");
}

bool ECAStateIsExpired::evaluate(ECAMachine& machine) {
  return machine.timeInState() >= machine.stateDuration();
}

namespace eca {
ECANullAction* nullAction() {
  static ECANullAction instance;
  return &instance;
}

ECANullProcess* nullProcess() {
  static ECANullProcess instance;
  return &instance;
}

ECATautology* tautology() {
  static ECATautology instance;
  return &instance;
}

ECAStateIsExpired* stateIsExpired() {
  static ECAStateIsExpired instance;
  return &instance;
}
}  // namespace eca

// Negation.

ECANegation::ECANegation(ECACondition* condition) : mCondition(condition) {
  DBG_ASSERT(condition);
  mCondition->addReference();
}

ECANegation::~ECANegation() {
  mCondition->releaseReference();
}

ECACondition* ECANegation::clone() const {
  ECANegation* clone = new (std::nothrow) ECANegation(mCondition);
  DBG_ASSERT(clone);
  return clone;
}

bool ECANegation::evaluate(ECAMachine& machine) {
  return !mCondition->evaluate(machine);
}

// State.

ECAState::ECAState(ECAAction* entryAction, ECAAction* exitAction, ECAProcess* process, double duration)
    : mEntryAction(entryAction), mExitAction(exitAction), mProcess(process), mDuration(duration) {
  // Machines call all three without looking; a state with nothing to do uses the singletons.
  DBG_ASSERT(entryAction);
  DBG_ASSERT(exitAction);
  DBG_ASSERT(process);
  mEntryAction->addReference();
  mExitAction->addReference();
  mProcess->addReference();
}

ECAState::~ECAState() {
  mProcess->releaseReference();
  mExitAction->releaseReference();
  mEntryAction->releaseReference();
}

// Transition.

ECATransition::ECATransition(ECAState* fromState, ECAEvent* event, ECACondition* condition, ECAAction* action,
                             ECAState* toState)
    : mFromState(fromState), mEvent(event), mCondition(condition), mAction(action), mToState(toState) {
  // A machine that fires the transition dereferences all five.
  DBG_ASSERT(fromState);
  DBG_ASSERT(event);
  DBG_ASSERT(condition);
  DBG_ASSERT(action);
  DBG_ASSERT(toState);
  addReferences();
}

ECATransition::ECATransition(const ECATransition& other)
    : mFromState(other.mFromState),
      mEvent(other.mEvent),
      mCondition(other.mCondition),
      mAction(other.mAction),
      mToState(other.mToState) {
  addReferences();
}

ECATransition& ECATransition::operator=(const ECATransition& other) {
  if (this != &other) {
    releaseReferences();
    mFromState = other.mFromState;
    mEvent = other.mEvent;
    mCondition = other.mCondition;
    mAction = other.mAction;
    mToState = other.mToState;
    addReferences();
  }
  return *this;
}

ECATransition::~ECATransition() {
  releaseReferences();
}

void ECATransition::addReferences() const {
  mFromState->addReference();
  mEvent->addReference();
  mCondition->addReference();
  mAction->addReference();
  mToState->addReference();
}

void ECATransition::releaseReferences() const {
  mFromState->releaseReference();
  mEvent->releaseReference();
  mCondition->releaseReference();
  mAction->releaseReference();
  mToState->releaseReference();
}

// Machine type.

namespace {
template <typename Set>
void addReferences(const Set& set) {
  for (ECAObject* object : set) object->addReference();
}

template <typename Set>
void releaseReferences(const Set& set) {
  for (ECAObject* object : set) object->releaseReference();
}
}  // namespace

ECAMachineType::ECAMachineType(const ECAStateSet& states, const ECAEventSet& events,
                               const ECAConditionSet& conditions, const ECAActionSet& actions,
                               ECAState* initialState, ECAState* finalState)
    : mStates(states),
      mEvents(events),
      mConditions(conditions),
      mActions(actions),
      mInitialState(initialState),
      mFinalState(finalState) {
  // Starting a machine enters the initial state at once.
  DBG_ASSERT(initialState);
  addReferences(mStates);
  addReferences(mEvents);
  addReferences(mConditions);
  addReferences(mActions);
}

ECAMachineType::~ECAMachineType() {
  releaseReferences(mRunningMachines);
  mRunningMachines.clear();
  mTransitions.clear();
  releaseReferences(mActions);
  releaseReferences(mConditions);
  releaseReferences(mEvents);
  releaseReferences(mStates);
}

void ECAMachineType::addTransition(const ECATransition& transition) {
  // A multimap inserts an equal key after those already there, which keeps the order of
  // addition among the candidates for one (state, event).
  mTransitions.insert({{transition.fromState(), transition.event()},
                       {transition.condition(), transition.action(), transition.toState()}});
}

// Machine.

ECAMachine::ECAMachine(ECAMachineType* type) : mType(type) {
  DBG_ASSERT(type);
  mType->addReference();
}

ECAMachine::~ECAMachine() {
  mType->releaseReference();
}

ECAMachine* ECAMachine::clone() const {
  ECAMachine* clone = new (std::nothrow) ECAMachine(mType);
  DBG_ASSERT(clone);
  return clone;
}

bool ECAMachine::isValid() const {
  return isAlive() && mType != nullptr;
}

void ECAMachine::handleEvent(ECAEvent* event) {
  auto [candidate, end] = mType->transitions().equal_range({mCurrentState, event});
  for (; candidate != end; ++candidate) {
    const ECATransitionTarget& target = candidate->second;
    if (target.condition->evaluate(*this)) {
      mCurrentState->exitAction()->execute(*this);
      target.action->execute(*this);
      enterState(target.toState);
      mCurrentState->entryAction()->execute(*this);
      return;
    }
  }
}

void ECAMachine::enterState(ECAState* state) {
  mCurrentState = state;
  mTimeInState = 0.0;
  mStateDuration = state->duration();
}

// Message.

ECAMessage::ECAMessage(ECAEvent* event) : ECAMessage(event, nullptr, nullptr) {}

ECAMessage::ECAMessage(ECAEvent* event, ECAMachine* machine, ECAMachineType* machineType)
    : mEvent(event), mMachine(machine), mMachineType(machineType) {
  addReferences();
}

ECAMessage::ECAMessage(const ECAMessage& other)
    : mEvent(other.mEvent), mMachine(other.mMachine), mMachineType(other.mMachineType) {
  addReferences();
}

ECAMessage& ECAMessage::operator=(const ECAMessage& other) {
  if (this != &other) {
    releaseReferences();
    mEvent = other.mEvent;
    mMachine = other.mMachine;
    mMachineType = other.mMachineType;
    addReferences();
  }
  return *this;
}

ECAMessage::~ECAMessage() {
  releaseReferences();
}

void ECAMessage::addReferences() const {
  addReferenceTo(mEvent);
  addReferenceTo(mMachine);
  addReferenceTo(mMachineType);
}

void ECAMessage::releaseReferences() const {
  releaseReferenceTo(mEvent);
  releaseReferenceTo(mMachine);
  releaseReferenceTo(mMachineType);
}

// Message action.

ECAMessageAction::ECAMessageAction(const ECAMessage& message) : mMessage(message) {}

ECAAction* ECAMessageAction::clone() const {
  ECAMessageAction* clone = new (std::nothrow) ECAMessageAction(mMessage);
  DBG_ASSERT(clone);
  return clone;
}

void ECAMessageAction::execute(ECAMachine&) {
  eca::postMessage(mMessage);
}

// The library's operations.

namespace {
bool isSingleton(const ECAObject* object) {
  return object == eca::nullAction() || object == eca::nullProcess() || object == eca::tautology() ||
         object == eca::stateIsExpired();
}

template <typename Object, typename Registry>
void destroyRegistered(Object* object, Registry& registry) {
  // The singletons belong to the runtime, which destroys them at exit; deleting one here would
  // leave every state and type that uses it pointing at freed memory.
  if (isSingleton(object)) return;
  registry.erase(object);
  delete object;
}

void deliver(const ECAMessage& message) {
  ECAMachineType* type = message.machineType();
  ECAMachine* machine = message.machine();
  if (type == nullptr && machine == nullptr) {
    // By index: the running list must not move under a handler, but reading it afresh keeps a
    // misbehaving handler from walking freed iterators.
    const std::vector<ECAMachine*>& running = library().runningMachines;
    for (std::size_t i = 0; i < running.size(); ++i) running[i]->handleEvent(message.event());
  } else if (machine == nullptr) {
    const std::vector<ECAMachine*> machines(type->runningMachines().begin(), type->runningMachines().end());
    for (ECAMachine* target : machines) target->handleEvent(message.event());
  } else if (type != nullptr) {
    machine->handleEvent(message.event());
  } else {
    DBG_ERROR("Unsupported message.");
  }
}
}  // namespace

namespace eca {
ECAEvent* createEvent() {
  ECAEvent* event = new (std::nothrow) ECAEvent;
  DBG_ASSERT(event);
  library().events.insert(event);
  return event;
}

ECAState* createState(ECAAction* entryAction, ECAAction* exitAction, ECAProcess* process, double duration) {
  ECAState* state = new (std::nothrow) ECAState(entryAction, exitAction, process, duration);
  DBG_ASSERT(state);
  library().states.insert(state);
  return state;
}

ECANegation* createNegation(ECACondition* condition) {
  ECANegation* negation = new (std::nothrow) ECANegation(condition);
  DBG_ASSERT(negation);
  library().negations.insert(negation);
  return negation;
}

ECAMessageAction* createMessageAction(const ECAMessage& message) {
  ECAMessageAction* messageAction = new (std::nothrow) ECAMessageAction(message);
  DBG_ASSERT(messageAction);
  library().messageActions.insert(messageAction);
  return messageAction;
}

ECAMachineType* createMachineType(const ECAStateSet& states, const ECAEventSet& events,
                                  const ECAConditionSet& conditions, const ECAActionSet& actions,
                                  ECAState* initialState, ECAState* finalState) {
  ECAMachineType* machineType =
      new (std::nothrow) ECAMachineType(states, events, conditions, actions, initialState, finalState);
  DBG_ASSERT(machineType);
  library().machineTypes.insert(machineType);
  return machineType;
}

void destroyEvent(ECAEvent* event) {
  destroyRegistered(event, library().events);
}

void destroyState(ECAState* state) {
  destroyRegistered(state, library().states);
}

void destroyCondition(ECACondition* condition) {
  destroyRegistered(condition, library().negations);
}

void destroyAction(ECAAction* action) {
  destroyRegistered(action, library().messageActions);
}

void destroyMachineType(ECAMachineType* machineType) {
  destroyRegistered(machineType, library().machineTypes);
}

ECAMachine* startMachine(const ECAMachine* prototype) {
  ECAMachine* clone = prototype->clone();
  DBG_ASSERT(clone);
  ECALibrary::start(*clone);
  return clone;
}

void postMessage(const ECAMessage& message) {
  library().queue.push_back(message);
}

void tick(double step) {
  LibraryState& state = library();
  std::vector<ECAMachine*>& running = state.runningMachines;

  for (std::size_t i = 0; i < running.size(); ++i) {
    ECAMachine& machine = *running[i];
    machine.currentState()->process()->run(machine);
  }

  for (ECAMachine* machine : running) ECALibrary::advance(*machine, step);

  while (!state.queue.empty()) {
    // A copy, so that the message stays whole whatever the handlers do to the queue.
    const ECAMessage message = state.queue.front();
    deliver(message);
    if (!state.queue.empty()) state.queue.pop_front();
  }

  for (std::size_t i = 0; i < running.size(); ++i) {
    if (ECALibrary::isFinished(*running[i])) {
      ECALibrary::finish(running[i]);
      running[i] = nullptr;
    }
  }
  running.erase(std::remove(running.begin(), running.end(), nullptr), running.end());
}

void clearMessages() {
  library().queue.clear();
}

const std::vector<ECAMachine*>& runningMachines() {
  return library().runningMachines;
}

const std::deque<ECAMessage>& queuedMessages() {
  return library().queue;
}

const ECAEventSet& registeredEvents() {
  return library().events;
}

const ECAStateSet& registeredStates() {
  return library().states;
}

const ECAConditionSet& registeredNegations() {
  return library().negations;
}

const ECAActionSet& registeredMessageActions() {
  return library().messageActions;
}

const std::set<ECAMachineType*>& registeredMachineTypes() {
  return library().machineTypes;
}
}  // namespace eca
