#include "platform/foundation/UndoManager.h"

#include "platform/foundation/Localized.h"

#include <QDebug>

#include <algorithm>

namespace pf {

UndoManager::UndoManager() = default;
UndoManager::~UndoManager() = default;

void UndoManager::registerUndo(std::function<void()> action)
{
    if (!isUndoRegistrationEnabled())
        return;
    record(Action{nullptr, std::move(action)});
}

void UndoManager::record(Action action)
{
    if (running_ == Running::None)
        redoStack_.clear(); // a new change makes the undone ones unreachable
    if (open_.empty()) {
        if (!groupsByEvent_) {
            undoStack_.push_back(Step{{}, {}});
            undoStack_.back().actions.push_back(std::move(action));
            lastClosedOn_ = &undoStack_;
            if (running_ == Running::None)
                notify(Change::Done);
            return;
        }
        openGroup(true);
    }
    building_.actions.push_back(std::move(action));
}

void UndoManager::setActionName(const QString& name)
{
    if (!isUndoRegistrationEnabled())
        return;
    if (!open_.empty())
        building_.name = name;
    else if (lastClosedOn_ && !lastClosedOn_->empty())
        lastClosedOn_->back().name = name;
}

void UndoManager::openGroup(bool automatic)
{
    if (open_.empty()) {
        building_ = Step{};
        buildingFor_ = &undoStack_;
    }
    open_.push_back(OpenGroup{nextGroupId_++, automatic});
    if (automatic)
        scheduleEndOfTurn();
}

void UndoManager::closeOutermost()
{
    open_.clear();
    Step step = std::move(building_);
    building_ = Step{};
    lastClosedOn_ = nullptr;
    const bool done = !step.actions.empty() && buildingFor_ == &undoStack_ && running_ == Running::None;
    if (!step.actions.empty() && buildingFor_) {
        buildingFor_->push_back(std::move(step));
        lastClosedOn_ = buildingFor_;
    }
    buildingFor_ = nullptr;
    if (done)
        notify(Change::Done);
}

void UndoManager::scheduleEndOfTurn()
{
    if (endOfTurnPending_)
        return;
    endOfTurnPending_ = true;
    endOfTurn_.performAfterDelay([this] { endOfTurn(); }, Nanoseconds(0));
}

void UndoManager::endOfTurn()
{
    endOfTurnPending_ = false;
    // With an explicit group still open (a drag across events) the automatic group waits for it.
    if (onlyAutomaticGroupOpen())
        closeOutermost();
}

UndoGroupToken UndoManager::beginUndoGrouping()
{
    if (open_.empty() && groupsByEvent_ && running_ == Running::None)
        openGroup(true);
    openGroup(false);
    return UndoGroupToken(open_.back().id);
}

bool UndoManager::endUndoGrouping(UndoGroupToken token)
{
    if (open_.empty() || open_.back().automatic || open_.back().id != token.id_ || !token.isValid()) {
        const bool isOpen = std::any_of(open_.begin(), open_.end(), [&](const OpenGroup& g) { return g.id == token.id_; });
        qWarning("Undo: endUndoGrouping refused: %s", isOpen ? "a group opened later is still open" : "the group is not open");
        return false;
    }
    open_.pop_back();
    if (open_.empty())
        closeOutermost();
    else if (onlyAutomaticGroupOpen())
        scheduleEndOfTurn();
    return true;
}

void UndoManager::enableUndoRegistration()
{
    if (disableCount_ == 0) {
        qWarning("Undo: enableUndoRegistration without a matching disable; ignored");
        return;
    }
    --disableCount_;
}

bool UndoManager::closeAutomaticGroupForUndo(const char* what)
{
    if (running_ != Running::None) {
        qWarning("Undo: %s refused while an undo or redo runs", what);
        return false;
    }
    if (open_.empty())
        return true;
    if (!onlyAutomaticGroupOpen()) {
        qWarning("Undo: %s refused while an explicit undo group is open", what);
        return false;
    }
    closeOutermost();
    return true;
}

bool UndoManager::perform(std::vector<Step>& from, std::vector<Step>& to, Running mode)
{
    if (from.empty())
        return false;
    Step step = std::move(from.back());
    from.pop_back();
    lastClosedOn_ = nullptr;

    // The inverse's registrations form one step on the other stack, named after this one unless the
    // actions name it themselves.
    running_ = mode;
    open_.push_back(OpenGroup{nextGroupId_++, false});
    building_ = Step{step.name, {}};
    buildingFor_ = &to;
    struct Finish {
        UndoManager& m;
        ~Finish()
        {
            if (m.open_.size() != 1)
                qWarning("Undo: an undo action left %d group(s) open; closed", static_cast<int>(m.open_.size()) - 1);
            m.closeOutermost();
            m.running_ = Running::None;
        }
    } finish{*this};
    for (auto it = step.actions.rbegin(); it != step.actions.rend(); ++it)
        it->run();
    return true;
}

bool UndoManager::canUndo() const
{
    if (running_ != Running::None)
        return false;
    if (open_.empty())
        return !undoStack_.empty();
    return onlyAutomaticGroupOpen() && (!building_.actions.empty() || !undoStack_.empty());
}

bool UndoManager::canRedo() const
{
    if (running_ != Running::None || !(open_.empty() || onlyAutomaticGroupOpen()))
        return false;
    return !redoStack_.empty();
}

bool UndoManager::undo()
{
    if (!closeAutomaticGroupForUndo("undo"))
        return false;
    if (!perform(undoStack_, redoStack_, Running::Undo))
        return false;
    notify(Change::Undone);
    return true;
}

bool UndoManager::redo()
{
    if (!closeAutomaticGroupForUndo("redo"))
        return false;
    if (!perform(redoStack_, undoStack_, Running::Redo))
        return false;
    notify(Change::Redone);
    return true;
}

QString UndoManager::undoActionName() const
{
    if (onlyAutomaticGroupOpen() && !building_.actions.empty())
        return building_.name;
    return undoStack_.empty() ? QString() : undoStack_.back().name;
}

QString UndoManager::redoActionName() const
{
    return redoStack_.empty() ? QString() : redoStack_.back().name;
}

namespace {

QString menuTitle(const QString& plainKey, const QString& formatKey, const QString& name)
{
    if (name.isEmpty())
        return localized(plainKey);
    QString title = localized(formatKey);
    title.replace(QStringLiteral("%@"), name);
    return title;
}

} // namespace

QString UndoManager::undoMenuItemTitle() const
{
    return menuTitle(QStringLiteral("Undo"), QStringLiteral("Undo %@"), undoActionName());
}

QString UndoManager::redoMenuItemTitle() const
{
    return menuTitle(QStringLiteral("Redo"), QStringLiteral("Redo %@"), redoActionName());
}

void UndoManager::removeAllActions()
{
    undoStack_.clear();
    redoStack_.clear();
    building_.actions.clear();
    lastClosedOn_ = nullptr;
    notify(Change::Cleared);
}

void UndoManager::removeActionsOf(const void* target)
{
    if (!target)
        return;
    const auto ofTarget = [target](const Action& a) { return a.target == target; };
    for (std::vector<Step>* stack : {&undoStack_, &redoStack_}) {
        for (Step& step : *stack)
            std::erase_if(step.actions, ofTarget);
        std::erase_if(*stack, [](const Step& s) { return s.actions.empty(); });
    }
    std::erase_if(building_.actions, ofTarget);
    lastClosedOn_ = nullptr; // its step may be gone
}

} // namespace pf
