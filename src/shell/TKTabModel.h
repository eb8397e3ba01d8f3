// One tab of a document window: where it came from, its kind, its owning document, the content it shows,
// its title, its position and whether it is the selected tab. The window controller owns its tab models
// in tab order; the tab strip draws one item per model; the document saves the represented objects in tab
// order.
//
// Coding and the scripting specifier are plain values: encode() answers the keyed form {"type",
// "URLString", "index", "selected"}, and objectSpecifier() an index specifier as a map.
#pragma once

#include "platform/foundation/NotFound.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"
#include "platform/foundation/Variant.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace pf {
class Document;
}

// A scripting command's failure: its error number and message.
struct ScriptCommandError {
    int number = 0;
    QString message;
};

class TKTabModel {
public:
    // The four-character class code 'cTab'.
    static constexpr std::uint32_t classCode = 0x63546162;
    static constexpr char titleDidChangeNotification[] = "TKTabModelTitleDidChangeNotification";

    TKTabModel() = default;
    TKTabModel(const QString& URLString, const QString& type);
    virtual ~TKTabModel() = default;
    TKTabModel(const TKTabModel&) = delete;
    TKTabModel& operator=(const TKTabModel&) = delete;

    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }
    // A null string is no location.
    const QString& URLString() const { return URLString_; }
    // Stores the string and titles the tab with its last path component (a null title for a null string);
    // an equal string again changes nothing, so a title set since stays.
    void setURLString(const QString& URLString);
    const QString& type() const { return type_; }
    void setType(const QString& type) { type_ = type; }
    // The owning document; not owned.
    pf::Document* document() const { return document_; }
    void setDocument(pf::Document* document) { document_ = document; }
    const std::shared_ptr<pf::Object>& representedObject() const { return representedObject_; }
    void setRepresentedObject(std::shared_ptr<pf::Object> object) { representedObject_ = std::move(object); }
    const QString& title() const { return title_; }
    // A changed title is announced with titleDidChangeNotification (object: this model), so the strip
    // shows it whoever changed it.
    virtual void setTitle(const QString& title);
    std::size_t index() const { return index_; }
    void setIndex(std::size_t index) { index_ = index; }

    // A new model of the same class with this one's URL string, type and title and a copy of the
    // represented object; no document, index 0, not selected.
    std::shared_ptr<TKTabModel> copy() const;
    // "<TKTabModel 0x… title>".
    QString description() const;

    // ---- coding ----
    pf::Value encode() const;
    // Reads the keys through the setters (the title comes from the URL string).
    void decode(const pf::Value& coded);

    // ---- scripting ----
    // Null when the index is pf::NotFound; otherwise {"form": "index", "containerClass": "TKDocument",
    // "container": the document's specifier, "key": "orderedTabModels", "index": index}.
    pf::Variant objectSpecifier() const;
    // Scripts count from one.
    std::size_t orderedIndex() const { return index_ + 1; }
    // Asks the document's window to remove this tab; the only page of a document stays (error 200).
    std::optional<ScriptCommandError> handleCloseCommand();

protected:
    // A fresh model of the receiver's class.
    virtual std::shared_ptr<TKTabModel> makeEmpty() const { return std::make_shared<TKTabModel>(); }
    // The copy of the represented object a copied tab holds.
    virtual std::shared_ptr<pf::Object> copyRepresentedObject() const { return representedObject_; }

private:
    bool selected_ = false;
    QString URLString_;
    QString type_;
    pf::Document* document_ = nullptr;
    std::shared_ptr<pf::Object> representedObject_;
    QString title_;
    std::size_t index_ = 0;
};
