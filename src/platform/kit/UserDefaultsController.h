// A user-defaults controller: the object that controls bind to, with key paths "values.<key>". It reads and
// writes each key through its defaults object (the settings store, or an object standing in for it),
// keeps the initial values that a revert puts back, and tells the controls bound to a key whenever the
// key's value may have changed: when it is written through the controller, and when the settings store
// changes by any other path (a menu command, a reset of every setting), so a bound control never shows
// a stale value.
//
// Bindings (bindCheckBox and its kin) live with their control and follow it; the controller must outlive
// the controls bound to it. Main thread only.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"

#include <QString>

#include <functional>

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace pf {

// What a controller reads and writes its keys through (NSUserDefaults' part that the controller uses).
class DefaultsObject {
public:
    virtual ~DefaultsObject();
    virtual Value valueForKey(const QString& key) const = 0;
    // A null value removes the key.
    virtual void setValueForKey(const Value& value, const QString& key) = 0;
};

// The shared settings store as a defaults object.
class StandardDefaults : public DefaultsObject {
public:
    static StandardDefaults& shared();
    Value valueForKey(const QString& key) const override;
    void setValueForKey(const Value& value, const QString& key) override;
};

class UserDefaultsController {
public:
    // The first component of every key path the controller answers.
    static const QString valuesKey;

    // defaults: not owned; null means the shared settings store.
    explicit UserDefaultsController(DefaultsObject* defaults = nullptr, Value::Dictionary initialValues = {});
    virtual ~UserDefaultsController();
    UserDefaultsController(const UserDefaultsController&) = delete;
    UserDefaultsController& operator=(const UserDefaultsController&) = delete;

    DefaultsObject& defaultsObject() const { return *defaults_; }
    void setDefaultsObject(DefaultsObject* defaults);
    const Value::Dictionary& initialValues() const { return initialValues_; }
    void setInitialValues(Value::Dictionary values) { initialValues_ = std::move(values); }

    // "values.<key>": the defaults object's value; any other path answers null.
    Value valueForKeyPath(const QString& keyPath) const;
    // "values.<key>": writes the value through the defaults object, then tells the bindings of the key.
    // Other paths are ignored.
    virtual void setValueForKeyPath(const Value& value, const QString& keyPath);
    // Writes every initial value back through the defaults object.
    void revertToInitialValues();
    // Changes are applied as they are made.
    bool hasUnappliedChanges() const { return false; }

    // Runs handler whenever the key's value may have changed, until the token goes.
    NotificationToken observeKey(const QString& key, std::function<void()> handler);

    // "values.<key>" → "<key>"; empty for a path of another form.
    static QString keyOfPath(const QString& keyPath);

private:
    void valueMayHaveChanged(const QString& key);

    DefaultsObject* defaults_;
    Value::Dictionary initialValues_;
    NotificationCenter bindings_;
    NotificationToken storeToken_;
};

// Bindings of controls to "values.<key>" of a controller. Each control shows the value at once and again
// whenever it may have changed; a change the user makes is written through the controller, then
// afterWrite runs (a pane's action, which finds the new value stored).
//
// A check box is on for any true value (a non-zero number, "YES"); it writes YES or NO, or 1 or 0 when
// writesIntegers is set (keys that other code reads as numbers).
void bindCheckBox(QAbstractButton* box, UserDefaultsController& controller, const QString& keyPath,
                  std::function<void()> afterWrite = {}, bool writesIntegers = false);
// A pop-up bound by the tags of its items (each item's data is its integer tag): the item whose tag is the
// value is selected (none when no item has it); choosing an item writes its tag.
void bindPopUpTag(QComboBox* popUp, UserDefaultsController& controller, const QString& keyPath,
                  std::function<void()> afterWrite = {});
// A text field shows the value's text; ending an edit writes the text, as a number when the key holds a
// number and the text reads as one (else the edit is undone and the stored value shown again).
void bindTextField(QLineEdit* field, UserDefaultsController& controller, const QString& keyPath,
                   std::function<void()> afterWrite = {});

} // namespace pf
