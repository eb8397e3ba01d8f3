// One typed pasteboard over Qt's clipboard and drag data. The editor names its types as the system
// does (its own record types, PNG, TIFF, colour, file names); each type maps to one MIME type (two for a
// colour), so other programs exchange the standard ones with us.
//
// Writing declares the types first, in the order readers should prefer them, then fills them; the data
// is published in the declared order. Reading asks for the first of the caller's preferred types that
// is present. Everything read comes from other programs: property lists are parsed with errors, never
// trusted (see PasteboardRecords.h for the editor's records).
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

class QMimeData;

namespace pf {

namespace PasteboardType {
inline const QString png = QStringLiteral("public.png");
inline const QString tiff = QStringLiteral("public.tiff");
// Read only: pictures some programs offer in no other form.
inline const QString jpeg = QStringLiteral("public.jpeg");
inline const QString bmp = QStringLiteral("com.microsoft.bmp");
inline const QString gif = QStringLiteral("com.compuserve.gif");
inline const QString webp = QStringLiteral("org.webmproject.webp");
// Named for stored pictures only (a PDF page is a picture a document may hold); never read or written here.
inline const QString pdf = QStringLiteral("com.adobe.pdf");
inline const QString color = QStringLiteral("public.color");
// Local files, as a list of paths.
inline const QString fileNames = QStringLiteral("public.file-url");

inline const QString shape = QStringLiteral("com.thistlewick.quorvel.composition.shape");
inline const QString shapeStyle = QStringLiteral("com.thistlewick.quorvel.composition.shape.style");
inline const QString shapeInfo = QStringLiteral("com.thistlewick.quorvel.composition.shape.info");
} // namespace PasteboardType

// The picture types other programs drag or copy, in the order a reader takes them.
const QStringList& pictureTypes();

// Picture bytes as offered, with the pasteboard type they came under.
struct PictureData {
    QString type;
    QByteArray bytes;
};

// The pasteboard type of picture bytes, judged by their content (a PDF by its header, the rest by the
// format Qt recognises); empty for bytes of no picture type named here.
QString pictureTypeForData(const QByteArray& bytes);

// The MIME type that carries a pasteboard type: the standard ones for images, colours and files; our own
// record types under "application/x-" and their name.
QString mimeTypeForPasteboardType(const QString& type);
// The pasteboard type a MIME type carries; empty for one that is not ours to read.
QString pasteboardTypeForMimeType(const QString& mime);

// The lower-cased extension of a file path ("JPG" and "jpg" are the same kind of file); empty without one.
QString lowercasedPathExtension(const QString& path);

// What one write puts on a pasteboard.
class PasteboardContent {
public:
    explicit PasteboardContent(QStringList declaredTypes);

    const QStringList& declaredTypes() const { return declared_; }

    // Each answers false, writing nothing, for a type that was not declared (or a value that cannot be
    // written, with the reason in errorOut).
    bool setData(const QString& type, const QByteArray& data);
    bool setPropertyList(const QString& type, const Value& plist, QString* errorOut = nullptr);
    bool setColor(const Color& color);
    bool setFileNames(const QStringList& paths);

    // The declared types that were filled, in the declared order.
    std::unique_ptr<QMimeData> makeMimeData() const;

private:
    QStringList declared_;
    std::map<QString, QByteArray> data_;
    std::optional<Color> color_;
    std::optional<QStringList> files_;
};

class Pasteboard {
public:
    // The system clipboard; each read sees its current content.
    static Pasteboard general();
    // Drag data, owned by the caller and alive while this is used.
    explicit Pasteboard(const QMimeData* data) : data_(data) {}

    // Replaces the clipboard's content (general pasteboard only; a drag's is read-only).
    void write(const PasteboardContent& content) const;

    // The types present, in the pasteboard's order, each once.
    QStringList types() const;
    bool hasType(const QString& type) const;
    // The first of preferred that is present; empty when none is.
    QString availableType(const QStringList& preferred) const;

    QByteArray dataForType(const QString& type) const;
    // The property list of a record type; empty, with the reason in errorOut, when it is absent or not
    // a well-formed property list.
    std::optional<Value> propertyListForType(const QString& type, QString* errorOut = nullptr) const;
    // The first of pictureTypes() present whose bytes decode as a picture; empty when none does.
    std::optional<PictureData> firstDecodablePicture() const;
    // A colour whose channels are finite and within 0 to 1; empty otherwise. Read from our exact colour
    // string, from a colour Qt decoded, or from the raw desktop form (four 16-bit channels R, G, B, A in
    // the host's byte order).
    OptionalColor color() const;
    // The local files named, in order; other URLs are left out. A URI list is read as file managers write
    // it (percent-encoded, lines ending in CRLF or LF, "#" comment lines). A file manager that offers only
    // its own list of copied files ("copy" or "cut", then one URL a line) is read too.
    QStringList fileNames() const;

private:
    Pasteboard() = default;
    const QMimeData* mimeData() const;

    const QMimeData* data_ = nullptr;
    bool general_ = false;
};

} // namespace pf
