#include "platform/kit/Pasteboard.h"

#include "platform/foundation/PropertyList.h"
#include "platform/graphics/PdfPicture.h"

#include <QClipboard>
#include <QColor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace pf {

namespace {

const QString recordPrefix = QStringLiteral("application/x-");
const QString pngMime = QStringLiteral("image/png");
const QString tiffMime = QStringLiteral("image/tiff");
const QString colorMime = QStringLiteral("application/x-color"); // the desktop's colour drag type
// Qt's colour keeps 16 bits a channel; this one carries our colour string exactly beside it.
const QString exactColorMime = QStringLiteral("application/x-quorvel-color");
const QString uriListMime = QStringLiteral("text/uri-list");
const QString jpegMime = QStringLiteral("image/jpeg");
const QString bmpMime = QStringLiteral("image/bmp");
const QString gifMime = QStringLiteral("image/gif");
const QString webpMime = QStringLiteral("image/webp");
// GNOME's file managers put this beside the URI list; some programs offer it alone.
const QString copiedFilesMime = QStringLiteral("x-special/gnome-copied-files");

// One URL a line, CRLF or LF; lines starting with "#" are comments.
QList<QUrl> uriListUrls(const QByteArray& data)
{
    QList<QUrl> urls;
    for (const QByteArray& raw : data.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            urls.append(QUrl::fromEncoded(line, QUrl::StrictMode));
    }
    return urls;
}

// "copy" or "cut", then one URL a line.
QList<QUrl> copiedFileUrls(const QByteArray& data)
{
    QList<QUrl> urls;
    const QList<QByteArray> lines = data.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (!line.isEmpty())
            urls.append(QUrl::fromEncoded(line, QUrl::StrictMode));
    }
    if (lines.isEmpty() || (lines[0].trimmed() != "copy" && lines[0].trimmed() != "cut"))
        urls.clear();
    return urls;
}

bool isUnitChannel(double v)
{
    return std::isfinite(v) && v >= 0 && v <= 1;
}

OptionalColor parseExactColor(const QByteArray& text)
{
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 4)
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const QByteArray part = parts[i].trimmed();
        const char* stop = nullptr;
        if (part.isEmpty() || !detail::parseDouble(part.constData(), part.constData() + part.size(), v[i], &stop)
            || stop != part.constData() + part.size() || !isUnitChannel(v[i]))
            return std::nullopt;
    }
    return Color(v[0], v[1], v[2], v[3]);
}

QByteArray exactColorText(const Color& c)
{
    return QStringLiteral("%1:%2:%3:%4")
        .arg(detail::formatReal(c.red), detail::formatReal(c.green), detail::formatReal(c.blue),
             detail::formatReal(c.alpha))
        .toUtf8();
}

} // namespace

QString mimeTypeForPasteboardType(const QString& type)
{
    if (type == PasteboardType::png)
        return pngMime;
    if (type == PasteboardType::tiff)
        return tiffMime;
    if (type == PasteboardType::color)
        return colorMime;
    if (type == PasteboardType::fileNames)
        return uriListMime;
    if (type == PasteboardType::jpeg)
        return jpegMime;
    if (type == PasteboardType::bmp)
        return bmpMime;
    if (type == PasteboardType::gif)
        return gifMime;
    if (type == PasteboardType::webp)
        return webpMime;
    return recordPrefix + type;
}

QString pasteboardTypeForMimeType(const QString& mime)
{
    if (mime == pngMime)
        return PasteboardType::png;
    if (mime == tiffMime)
        return PasteboardType::tiff;
    if (mime == colorMime || mime == exactColorMime)
        return PasteboardType::color;
    if (mime == uriListMime || mime == copiedFilesMime)
        return PasteboardType::fileNames;
    if (mime == jpegMime)
        return PasteboardType::jpeg;
    if (mime == bmpMime)
        return PasteboardType::bmp;
    if (mime == gifMime)
        return PasteboardType::gif;
    if (mime == webpMime)
        return PasteboardType::webp;
    if (mime.startsWith(recordPrefix) && mime.size() > recordPrefix.size())
        return mime.mid(recordPrefix.size());
    return {};
}

const QStringList& pictureTypes()
{
    static const QStringList types = {PasteboardType::png, PasteboardType::tiff, PasteboardType::jpeg,
                                      PasteboardType::gif,  PasteboardType::bmp,  PasteboardType::webp};
    return types;
}

QString pictureTypeForData(const QByteArray& bytes)
{
    if (isPdfData(bytes))
        return PasteboardType::pdf;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    static const std::pair<const char*, const QString*> types[] = {
        {"png", &PasteboardType::png}, {"tiff", &PasteboardType::tiff}, {"jpeg", &PasteboardType::jpeg},
        {"gif", &PasteboardType::gif}, {"bmp", &PasteboardType::bmp},   {"webp", &PasteboardType::webp}};
    for (const auto& [name, type] : types)
        if (format == name)
            return *type;
    return {};
}

QString lowercasedPathExtension(const QString& path)
{
    return QFileInfo(path).suffix().toLower();
}

PasteboardContent::PasteboardContent(QStringList declaredTypes) : declared_(std::move(declaredTypes))
{
    declared_.removeDuplicates();
}

bool PasteboardContent::setData(const QString& type, const QByteArray& data)
{
    if (!declared_.contains(type) || type == PasteboardType::color || type == PasteboardType::fileNames)
        return false;
    data_[type] = data;
    return true;
}

bool PasteboardContent::setPropertyList(const QString& type, const Value& plist, QString* errorOut)
{
    if (!declared_.contains(type))
        return false;
    const PropertyListWriteResult written = writePropertyList(plist);
    if (!written.ok()) {
        if (errorOut)
            *errorOut = written.error;
        return false;
    }
    return setData(type, *written.data);
}

bool PasteboardContent::setColor(const Color& color)
{
    if (!declared_.contains(PasteboardType::color) || !isUnitChannel(color.red) || !isUnitChannel(color.green)
        || !isUnitChannel(color.blue) || !isUnitChannel(color.alpha))
        return false;
    color_ = color;
    return true;
}

bool PasteboardContent::setFileNames(const QStringList& paths)
{
    if (!declared_.contains(PasteboardType::fileNames))
        return false;
    files_ = paths;
    return true;
}

std::unique_ptr<QMimeData> PasteboardContent::makeMimeData() const
{
    auto mime = std::make_unique<QMimeData>();
    for (const QString& type : declared_) {
        if (type == PasteboardType::color) {
            if (color_) {
                mime->setColorData(color_->toQt());
                mime->setData(exactColorMime, exactColorText(*color_));
            }
        } else if (type == PasteboardType::fileNames) {
            if (files_) {
                QList<QUrl> urls;
                for (const QString& path : *files_)
                    urls.append(QUrl::fromLocalFile(path));
                mime->setUrls(urls);
            }
        } else if (auto it = data_.find(type); it != data_.end()) {
            mime->setData(mimeTypeForPasteboardType(type), it->second);
        }
    }
    return mime;
}

Pasteboard Pasteboard::general()
{
    Pasteboard board;
    board.general_ = true;
    return board;
}

const QMimeData* Pasteboard::mimeData() const
{
    return general_ ? QGuiApplication::clipboard()->mimeData() : data_;
}

void Pasteboard::write(const PasteboardContent& content) const
{
    if (general_)
        QGuiApplication::clipboard()->setMimeData(content.makeMimeData().release());
}

QStringList Pasteboard::types() const
{
    QStringList types;
    const QMimeData* mime = mimeData();
    if (!mime)
        return types;
    for (const QString& format : mime->formats()) {
        const QString type = pasteboardTypeForMimeType(format);
        if (!type.isEmpty() && !types.contains(type))
            types.append(type);
    }
    return types;
}

bool Pasteboard::hasType(const QString& type) const
{
    return types().contains(type);
}

QString Pasteboard::availableType(const QStringList& preferred) const
{
    const QStringList present = types();
    for (const QString& type : preferred)
        if (present.contains(type))
            return type;
    return {};
}

QByteArray Pasteboard::dataForType(const QString& type) const
{
    const QMimeData* mime = mimeData();
    if (!mime || type == PasteboardType::color)
        return {};
    return mime->data(mimeTypeForPasteboardType(type));
}

std::optional<Value> Pasteboard::propertyListForType(const QString& type, QString* errorOut) const
{
    if (!hasType(type)) {
        if (errorOut)
            *errorOut = QStringLiteral("the pasteboard holds no %1").arg(type);
        return std::nullopt;
    }
    PropertyListReadResult read = readPropertyList(dataForType(type));
    if (!read.ok()) {
        if (errorOut)
            *errorOut = QStringLiteral("%1 on the pasteboard is not a property list: %2").arg(type, read.error);
        return std::nullopt;
    }
    return std::move(read.value);
}

std::optional<PictureData> Pasteboard::firstDecodablePicture() const
{
    for (const QString& type : pictureTypes()) {
        if (!hasType(type))
            continue;
        QByteArray bytes = dataForType(type);
        if (!bytes.isEmpty() && !QImage::fromData(bytes).isNull())
            return PictureData{type, std::move(bytes)};
    }
    return std::nullopt;
}

OptionalColor Pasteboard::color() const
{
    const QMimeData* mime = mimeData();
    if (!mime)
        return std::nullopt;
    if (mime->hasFormat(exactColorMime))
        if (OptionalColor exact = parseExactColor(mime->data(exactColorMime)))
            return exact;
    if (!mime->hasColor())
        return std::nullopt;
    const QVariant value = mime->colorData();
    if (value.metaType().id() == QMetaType::QColor && value.value<QColor>().isValid())
        return Color::fromQt(value.value<QColor>());
    // The desktop's raw form, as GTK programs write it.
    const QByteArray raw = mime->data(colorMime);
    if (raw.size() != 8)
        return std::nullopt;
    std::uint16_t channel[4];
    std::memcpy(channel, raw.constData(), sizeof channel);
    return Color(channel[0] / 65535.0, channel[1] / 65535.0, channel[2] / 65535.0, channel[3] / 65535.0);
}

QStringList Pasteboard::fileNames() const
{
    QStringList paths;
    const QMimeData* mime = mimeData();
    if (!mime)
        return paths;
    const QList<QUrl> urls = mime->hasFormat(uriListMime)     ? uriListUrls(mime->data(uriListMime))
                             : mime->hasFormat(copiedFilesMime) ? copiedFileUrls(mime->data(copiedFilesMime))
                                                                : QList<QUrl>();
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    return paths;
}

} // namespace pf
