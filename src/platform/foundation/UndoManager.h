// A Cocoa-style undo manager: registered closures perform the inverse of a change, and the inverse
// registers its own inverse when it runs (while undoing, registrations go to the redo stack; while redoing,
// to the undo stack).
//
// Grouping:
// - With groupsByEvent (the default) the first registration of a turn of the event loop opens an automatic
//   group that closes when control returns to the loop (a zero-delay main-queue call), so everything
//   registered while one event is handled undoes as one step.
// - Explicit groups nest inside it. beginUndoGrouping answers a token and only that token closes the
//   group, innermost first: a tool, a drag and a text edit cannot close each other's groups. A refused close
//   is logged. While an explicit group stays open across events (a drag), the automatic group stays open
//   too and closes at the end of the turn in which the last explicit group closed.
// - Without groupsByEvent, a registration outside any group is a step of its own.
// - Nested groups merge into the outermost one; an empty group leaves no step.
//
// Undo and redo close the automatic group first (as Cocoa does at grouping level 1). While an explicit
// group is open they are refused and logged (Cocoa raises): undoing then would either split the open
// group or close a group that its owner still expects to close.
//
// Targets: a registration may name a target object, held weakly; an action whose target is gone is
// skipped, never called, and removeAllActionsWithTarget drops a target's actions. Closures may also hold
// what they need strongly (a removed shape that undo puts back).
//
// Main thread only.
#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Object.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace pf {

class UndoGroupToken {
public:
    UndoGroupToken() = default;
    bool isValid() const { return id_ != 0; }

private:
    friend class UndoManager;
    explicit UndoGroupToken(std::uint64_t id) : id_(id) {}
    std::uint64_t id_ = 0;
};

class UndoManager {
public:
    UndoManager();
    ~UndoManager();
    UndoManager(const UndoManager&) = delete;
    UndoManager& operator=(const UndoManager&) = delete;

    // ---- registration ----
    // An inverse without a target.
    void registerUndo(std::function<void()> action);
    // An inverse on a target held weakly: action(target) runs only while the target exists.
    template <class T, class F>
    void registerUndo(const std::shared_ptr<T>& target, F action);
    // The same for an object owned by a shared_ptr, named by plain pointer (`this` in a setter). An object
    // that no shared_ptr owns cannot be tracked: the registration is logged and dropped.
    template <class T, class F>
        requires std::is_base_of_v<Object, T>
    void registerUndo(T* target, F action);

    // Names the step being built (the open group), else the step that the last group to close left. Ignored
    // while registration is disabled, and after a group that left no step, so that neither a silent change
    // nor an empty group renames an older step.
    void setActionName(const QString& name);

    // ---- grouping ----
    [[nodiscard]] UndoGroupToken beginUndoGrouping();
    // Closes the innermost open group when the token is its own; anything else is refused and logged.
    bool endUndoGrouping(UndoGroupToken token);
    // Open groups, the automatic one included.
    int groupingLevel() const { return static_cast<int>(open_.size()); }
    // Some opener's own group is open (not only the automatic group of the turn).
    bool hasExplicitGroup() const
    {
        return std::any_of(open_.begin(), open_.end(), [](const OpenGroup& g) { return !g.automatic; });
    }
    bool groupsByEvent() const { return groupsByEvent_; }
    void setGroupsByEvent(bool on) { groupsByEvent_ = on; }

    // ---- disabling (counted: each disable needs its enable) ----
    void disableUndoRegistration() { ++disableCount_; }
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return disableCount_ == 0; }

    // ---- undo and redo ----
    bool canUndo() const;
    bool canRedo() const;
    // Perform the top step; false when there is none or it is refused (see above).
    bool undo();
    bool redo();
    bool isUndoing() const { return running_ == Running::Undo; }
    bool isRedoing() const { return running_ == Running::Redo; }
    QString undoActionName() const;
    QString redoActionName() const;
    // "Undo %@" / "Redo %@" localised, or plain "Undo" / "Redo" for a step without a name.
    QString undoMenuItemTitle() const;
    QString redoMenuItemTitle() const;

    // ---- change notices (a document's change count follows them) ----
    enum class Change { Done, Undone, Redone, Cleared };
    // One listener; a step that reaches the undo stack outside undo and redo is Done, a performed undo or
    // redo is Undone or Redone, removeAllActions is Cleared.
    void setChangeListener(std::function<void(Change)> listener) { changeListener_ = std::move(listener); }

    // ---- removal ----
    // Both stacks and the actions of the open group; open groups stay open (their tokens still close them)
    // and the disable count is kept (its holders still re-enable).
    void removeAllActions();
    template <class T>
    void removeAllActionsWithTarget(const T* target)
    {
        removeActionsOf(identity(target));
    }

private:
    struct Action {
        const void* target; // identity only; null without a target
        std::function<void()> run;
    };
    struct Step {
        QString name;
        std::vector<Action> actions;
    };
    struct OpenGroup {
        std::uint64_t id;
        bool automatic;
    };
    enum class Running { None, Undo, Redo };

    template <class T>
    static const void* identity(const T* p)
    {
        if constexpr (std::is_polymorphic_v<T>)
            return dynamic_cast<const void*>(p);
        else
            return static_cast<const void*>(p);
    }

    void record(Action action);
    void openGroup(bool automatic);
    void closeOutermost();
    void scheduleEndOfTurn();
    void endOfTurn();
    bool closeAutomaticGroupForUndo(const char* what);
    bool perform(std::vector<Step>& from, std::vector<Step>& to, Running mode);
    bool onlyAutomaticGroupOpen() const { return open_.size() == 1 && open_.front().automatic; }
    void removeActionsOf(const void* target);

    std::vector<Step> undoStack_;
    std::vector<Step> redoStack_;
    std::vector<OpenGroup> open_;
    Step building_;                     // the step the open groups build
    std::vector<Step>* buildingFor_ = nullptr; // the stack it goes to when the outermost group closes
    std::vector<Step>* lastClosedOn_ = nullptr; // the stack whose top the last closed group made, if any
    std::uint64_t nextGroupId_ = 1;
    int disableCount_ = 0;
    bool groupsByEvent_ = true;
    bool endOfTurnPending_ = false;
    Running running_ = Running::None;
    DelayedCallOwner endOfTurn_;
    std::function<void(Change)> changeListener_;
    void notify(Change change)
    {
        if (changeListener_)
            changeListener_(change);
    }
};

template <class T, class F>
void UndoManager::registerUndo(const std::shared_ptr<T>& target, F action)
{
    if (!isUndoRegistrationEnabled())
        return;
    std::weak_ptr<T> weak = target;
    record(Action{identity(target.get()), [weak = std::move(weak), action = std::move(action)]() mutable {
                      if (auto t = weak.lock())
                          action(*t);
                  }});
}

template <class T, class F>
    requires std::is_base_of_v<Object, T>
void UndoManager::registerUndo(T* target, F action)
{
    if (!isUndoRegistrationEnabled() || !target)
        return;
    auto owned = target->weak_from_this().lock();
    if (!owned) {
        qWarning("Undo: the target of a registration is not owned by a shared_ptr; registration dropped");
        return;
    }
    registerUndo(std::static_pointer_cast<T>(owned), std::move(action));
}

// Null-safe forms for code whose undo manager may be missing (a shape without a page registers nothing).
template <class Target, class F>
void registerUndo(UndoManager* manager, Target&& target, F action, const QString& actionName = {})
{
    if (!manager)
        return;
    manager->registerUndo(std::forward<Target>(target), std::move(action));
    if (!actionName.isEmpty())
        manager->setActionName(actionName);
}

// Opens an explicit group for its scope; does nothing without an undo manager.
class UndoGrouping {
public:
    explicit UndoGrouping(UndoManager* manager) : manager_(manager)
    {
        if (manager_)
            token_ = manager_->beginUndoGrouping();
    }
    ~UndoGrouping()
    {
        if (manager_)
            manager_->endUndoGrouping(token_);
    }
    UndoGrouping(const UndoGrouping&) = delete;
    UndoGrouping& operator=(const UndoGrouping&) = delete;

private:
    UndoManager* manager_;
    UndoGroupToken token_;
};

} // namespace pf
