// The editor's scripting interface on the user's D-Bus: the name "com.thistlewick.Quorvel", the object
// "/com/thistlewick/Quorvel" and the interface "com.thistlewick.Quorvel.Scripting", whose description
// (":/scripting/com.thistlewick.Quorvel.Scripting.xml") is also the scripting dictionary the Help menu
// opens.
//
// A few generic calls, as scripting has them: Get, Set, Elements, Make and Delete. Objects are named by
// specifier records (ScriptingObjectModel.h); indexes count from 1. Every value crosses through the event
// descriptor layer both ways, so what cannot be a descriptor is refused. Each change request is one undo
// step. A failure answers a D-Bus error whose name stands for its error number and whose text is the
// command's message.
//
// Main thread only.
#pragma once

#include "app/ScriptingObjectModel.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace pf {
class DocumentController;
}

// The generic commands on the documents of a controller, without any bus: what the bridge calls.
class ScriptingCommands {
public:
    explicit ScriptingCommands(pf::DocumentController& controller) : controller_(controller) {}

    // A property of the object: shapes "name", "text", "fillColor", "strokeColor", "x", "y", "width",
    // "height", "location", "size", "frame", "index", "class", "id"; pages "index", "class", "name";
    // documents "name", "class", "selectedPage".
    QVariant get(const QVariant& specifier, const QString& property, ScriptCommandError* error);
    bool set(const QVariant& specifier, const QString& property, const QVariant& value, ScriptCommandError* error);
    // The specifiers of the container's elements of a class code: documents of the application (an empty
    // record), pages ("cTab") of a document, shapes ("sObj" for all, or a listed kind's code) of a page.
    QVariantList elements(const QVariant& container, const QString& classCode, ScriptCommandError* error);
    // A new page in a document, or a new shape of a listed kind on a page, with the properties given (in the
    // same undo step); the new object's specifier.
    QVariantMap make(const QVariant& container, const QString& classCode, const QVariantMap& properties,
                     ScriptCommandError* error);
    bool remove(const QVariant& specifier, ScriptCommandError* error);

private:
    pf::DocumentController& controller_;
};

// The D-Bus error name of an error number ("com.thistlewick.Quorvel.Error.OnlyPage" for 200).
QString scriptErrorName(int number);
// The interface description, read from the resources.
QString scriptingDictionary();
// A value carried through the descriptor layer and back; nothing when it has no descriptor.
std::optional<QVariant> throughDescriptors(const QVariant& value);

class ScriptingBridge {
public:
    static constexpr char ServiceName[] = "com.thistlewick.Quorvel";
    static constexpr char ObjectPath[] = "/com/thistlewick/Quorvel";
    static constexpr char InterfaceName[] = "com.thistlewick.Quorvel.Scripting";

    explicit ScriptingBridge(pf::DocumentController& controller);
    ~ScriptingBridge();
    ScriptingBridge(const ScriptingBridge&) = delete;
    ScriptingBridge& operator=(const ScriptingBridge&) = delete;

    // Registers the object and claims the name on the session bus. Without a bus, or with the name taken,
    // logs once and answers false; the editor runs without scripting.
    bool start();
    // Gives the name up and unregisters the object.
    void stop();
    bool isRunning() const { return running_; }

private:
    class Object;
    std::unique_ptr<Object> object_;
    bool running_ = false;
};
