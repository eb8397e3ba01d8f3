// The preview plug-in loaded by its host: packages drawn into PDFs, and the failures a user can meet.
#include "controls/ControlKinds.h"
#include "model/Composition.h"
#include "model/Rectangle.h"
#include "model/ShapeClass.h"
#include "model/UserDefaults.h"
#include "platform/foundation/ClassRegistry.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaultsStore.h"
#include "platform/plugin/PlugIn.h"
#include "platform/plugin/QuickLookAbi.h"
#include "quicklook/host/PreviewHost.h"
#include "shapes/Bezier.h"
#include "shapes/Brush.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <map>
#include <thread>
#include <vector>

namespace {

struct PageSpec {
    pf::Size size;
    pf::Rect box;
    pf::Color color;
};

class PreviewTest : public testing::Test {
protected:
    static void SetUpTestSuite() { registerControlKinds(pf::ClassRegistry::shared()); }

    // A package with one page per spec, each holding one filled rectangle.
    QString writePackage(const QString& name, const std::vector<PageSpec>& specs)
    {
        const QString package = dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(package + QStringLiteral("/Resources")));
        pf::Value pages = pf::Value::array();
        for (const PageSpec& spec : specs) {
            auto metrics = std::make_shared<Metrics>();
            metrics->setWidth(spec.size.width);
            metrics->setHeight(spec.size.height);
            auto page = Composition::make(metrics);
            auto box = Shape::make<Rectangle>(spec.box);
            box->setFillColor(spec.color);
            box->setStrokeType(3);
            page->addShape(box);
            pages.append(page->asPlist());
        }
        pf::Value document = pf::Value::dictionary();
        document.set("version", 8);
        document.set("compositions", pages);
        writeFile(package + QStringLiteral("/composition_data.plist"), *pf::writePropertyList(document).data);
        return package;
    }

    // A package of the pages drawn by the plug-in and read back at 72 dpi: the path of page n's picture is
    // the answer followed by "-n.png".
    QString previewPages(const QString& name, const pf::Value::Array& pages)
    {
        pf::Value document = pf::Value::dictionary();
        document.set("version", 8);
        document.set("compositions", pf::Value(pages));
        const QString package = dir.filePath(name + QStringLiteral(".quorveldoc"));
        EXPECT_TRUE(QDir().mkpath(package + QStringLiteral("/Resources")));
        writeFile(package + QStringLiteral("/composition_data.plist"), *pf::writePropertyList(document).data);
        const QString pdf = dir.filePath(name + QStringLiteral(".pdf"));
        const PreviewOutcome outcome = renderPreview(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN), package, pdf);
        EXPECT_TRUE(outcome.ok) << qPrintable(outcome.message);
        const QString pictures = dir.filePath(name);
        run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"), pdf, pictures});
        return pictures;
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        if (exitCode)
            *exitCode = process.exitCode();
        return QString::fromUtf8(process.readAll());
    }

    QTemporaryDir dir;
};

TEST_F(PreviewTest, EveryPageBecomesAPdfPageOfItsOwnSize)
{
    const QString package = writePackage(QStringLiteral("Two.quorveldoc"),
                                         {{{320, 480}, {20, 20, 100, 60}, {1, 0, 0, 1}}, {{600, 400}, {300, 200, 200, 100}, {0, 0, 1, 1}}});
    const QString pdf = dir.filePath(QStringLiteral("two.pdf"));
    const PreviewOutcome outcome = renderPreview(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN), package, pdf);
    ASSERT_TRUE(outcome.ok) << qPrintable(outcome.message);
    EXPECT_TRUE(outcome.message.contains(pdf)) << qPrintable(outcome.message);

    const QString info = run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("2"), pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b")))) << qPrintable(info);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page\\s+1 size:\\s+320 x 480 pts")))) << qPrintable(info);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page\\s+2 size:\\s+600 x 400 pts")))) << qPrintable(info);

    // Drawn at 72 dpi, a pixel is a point, y down: each box where its page put it, on white.
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"), pdf, dir.filePath(QStringLiteral("page"))});
    const QImage first(dir.filePath(QStringLiteral("page-1.png")));
    const QImage second(dir.filePath(QStringLiteral("page-2.png")));
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(first.size(), QSize(320, 480));
    EXPECT_EQ(first.pixelColor(70, 50), QColor(255, 0, 0));
    EXPECT_EQ(first.pixelColor(200, 300), QColor(255, 255, 255));
    EXPECT_EQ(second.pixelColor(400, 250), QColor(0, 0, 255));
    EXPECT_EQ(second.pixelColor(100, 100), QColor(255, 255, 255));
}

TEST_F(PreviewTest, ABrushStoredWithoutItsPathDrawsNothing)
{
    // In the editor such a brush takes the library's sample stroke; a preview shows only what is stored.
    // The second page keeps the path, and shows it.
    auto metrics = std::make_shared<Metrics>();
    metrics->setWidth(200);
    metrics->setHeight(200);
    auto page = Composition::make(metrics);
    auto brush = Shape::make<Brush>(pf::Rect(20, 20, 160, 160));
    ASSERT_FALSE(brush->path().isEmpty());
    brush->setFillType(5);
    brush->setStrokeType(0);
    brush->setStrokeColor(pf::Color(0, 0, 0, 1));
    brush->setStrokeLineWidth(20);
    page->addShape(brush);
    const pf::Value whole = page->asPlist();
    pf::Value stored = whole;
    pf::Value children = pf::Value::array();
    for (pf::Value child : stored.arrayForKey("children")) {
        child.remove(QStringLiteral("pathData"));
        children.append(child);
    }
    stored.set(QStringLiteral("children"), children);
    const QString pictures = previewPages(QStringLiteral("brush"), {stored, whole});
    const auto marked = [&](const char* page) {
        const QImage image = QImage(pictures + QString::fromLatin1(page)).convertToFormat(QImage::Format_RGB32);
        EXPECT_FALSE(image.isNull()) << page;
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) != qRgb(255, 255, 255);
        return count;
    };
    EXPECT_EQ(marked("-1.png"), 0);
    EXPECT_GT(marked("-2.png"), 1000);
}

TEST_F(PreviewTest, ABezierOfTwoOutlinesShowsBothAndAnOlderChainAsItWas)
{
    // A box and a triangle apart, as their union returns them: each outline runs back to its start.
    pf::Path outlines;
    for (const auto& polygon : {std::vector<pf::Point>{{95, 420}, {95, 480}, {20, 480}, {20, 420}, {95, 420}},
                                std::vector<pf::Point>{{115, 480}, {152.5, 420}, {190, 480}, {115, 480}}}) {
        outlines.moveTo(polygon.front());
        for (std::size_t i = 1; i < polygon.size(); ++i)
            outlines.lineTo(polygon[i]);
    }
    auto style = Shape::make<Bezier>(pf::Rect(0, 0, 10, 10));
    style->setFillColor(pf::Color(1, 0, 0, 1));
    style->setStrokeType(3);
    auto bezier = Bezier::fromBezierPath(outlines, style->asPlist(), true);
    ASSERT_TRUE(bezier);
    // The first page as stored now; the second as an older document stores the same model: one chain.
    pf::Value::Array pages;
    for (const bool older : {false, true}) {
        auto metrics = std::make_shared<Metrics>();
        metrics->setWidth(240);
        metrics->setHeight(500);
        auto page = Composition::make(metrics);
        pf::Value stored = bezier->asPlist();
        ASSERT_FALSE(stored.objectForKey("modelSubpaths").isNull());
        if (older)
            stored.remove(QStringLiteral("modelSubpaths"));
        page->addShape(Shape::fromPlist(stored));
        pages.push_back(page->asPlist());
    }
    const QString pictures = previewPages(QStringLiteral("outlines"), pages);
    const QImage now(pictures + QStringLiteral("-1.png"));
    const QImage before(pictures + QStringLiteral("-2.png"));
    ASSERT_FALSE(now.isNull());
    ASSERT_FALSE(before.isNull());
    // Both outlines filled; between them the page, except where the older chain's joining lines
    // enclose the gap, as they always did.
    for (const QImage* image : {&now, &before}) {
        EXPECT_EQ(image->pixelColor(50, 450), QColor(255, 0, 0));
        EXPECT_EQ(image->pixelColor(152, 465), QColor(255, 0, 0));
    }
    EXPECT_EQ(now.pixelColor(105, 450), QColor(255, 255, 255));
    EXPECT_EQ(before.pixelColor(105, 450), QColor(255, 0, 0));
}

TEST_F(PreviewTest, FailuresLeaveNoFile)
{
    const QString empty = dir.filePath(QStringLiteral("Empty.quorveldoc"));
    ASSERT_TRUE(QDir().mkpath(empty));
    const QString malformed = dir.filePath(QStringLiteral("Bad.quorveldoc"));
    ASSERT_TRUE(QDir().mkpath(malformed));
    writeFile(malformed + QStringLiteral("/composition_data.plist"), "<plist><dict><key>compositions</key>");
    const QString noPages = dir.filePath(QStringLiteral("NoPages.quorveldoc"));
    ASSERT_TRUE(QDir().mkpath(noPages));
    writeFile(noPages + QStringLiteral("/composition_data.plist"), "<plist><dict><key>version</key><integer>8</integer></dict></plist>");
    const QString notDictionary = dir.filePath(QStringLiteral("Array.quorveldoc"));
    ASSERT_TRUE(QDir().mkpath(notDictionary));
    writeFile(notDictionary + QStringLiteral("/composition_data.plist"), "<plist><array/></plist>");

    const struct {
        QString package;
        const char* says;
    } cases[] = {
        {dir.filePath(QStringLiteral("Missing.quorveldoc")), "not a document package"},
        {empty, "no composition_data.plist"},
        {malformed, "no readable pages"},
        {noPages, "no readable pages"},
        {notDictionary, "no readable pages"},
    };
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    for (const auto& c : cases) {
        const PreviewOutcome outcome = renderPreview(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN), c.package, pdf);
        EXPECT_FALSE(outcome.ok) << qPrintable(c.package);
        EXPECT_TRUE(outcome.message.contains(QLatin1String(c.says))) << qPrintable(outcome.message);
        EXPECT_FALSE(QFile::exists(pdf)) << qPrintable(c.package);
    }
    const PreviewOutcome noPlugIn = renderPreview(dir.filePath(QStringLiteral("None.so")),
                                                  writePackage(QStringLiteral("One.quorveldoc"), {{{100, 100}, {0, 0, 10, 10}, {0, 0, 0, 1}}}), pdf);
    EXPECT_FALSE(noPlugIn.ok);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PreviewTest, TheProgramSaysWhatItDid)
{
    const QString package = writePackage(QStringLiteral("One.quorveldoc"), {{{200, 100}, {0, 0, 10, 10}, {0, 0, 0, 1}}});
    int code = -1;
    QString said = run(QStringLiteral(QUORVEL_PREVIEW_PROGRAM), {package, dir.filePath(QStringLiteral("one.pdf"))}, &code);
    EXPECT_EQ(code, 0) << qPrintable(said);
    EXPECT_TRUE(said.contains(dir.filePath(QStringLiteral("one.pdf")))) << qPrintable(said);
    said = run(QStringLiteral(QUORVEL_PREVIEW_PROGRAM), {dir.filePath(QStringLiteral("nothing")), dir.filePath(QStringLiteral("x.pdf"))}, &code);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(said.contains(QStringLiteral("not a document package"))) << qPrintable(said);
    said = run(QStringLiteral(QUORVEL_PREVIEW_PROGRAM), {package}, &code);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(said.contains(QStringLiteral("usage"))) << qPrintable(said);
}

// The plug-in model's contract: only the generator type makes instances, only the callbacks interface is
// answered, thumbnails are declined with success.
TEST_F(PreviewTest, PlugInAnswersOnlyWhatItServes)
{
    const auto plugIn = pf::PlugIn::load(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN));
    ASSERT_TRUE(plugIn);
    const pf::Uuid type = *pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_TYPE));
    const pf::Uuid callbacks = *pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_CALLBACKS_INTERFACE));
    const std::vector<pf::Uuid> factories = plugIn->factoriesForType(type);
    ASSERT_EQ(factories.size(), 1u);
    EXPECT_EQ(plugIn->makeInstance(factories.front(), callbacks), nullptr) << "not a generator type";

    void* instance = plugIn->makeInstance(factories.front(), type);
    ASSERT_NE(instance, nullptr);
    auto* table = *static_cast<PFQLGeneratorInterface**>(instance);
    EXPECT_EQ(table->GeneratePreviewForURL, nullptr) << "callbacks come with the interface";
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(table->QueryInterface(instance, type.bytes(), &other), PF_E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    void* generator = nullptr;
    EXPECT_EQ(table->QueryInterface(instance, callbacks.bytes(), &generator), PF_S_OK);
    EXPECT_EQ(generator, instance);
    ASSERT_NE(table->GenerateThumbnailForURL, nullptr);
    PFQLThumbnailRequest thumbnail{nullptr};
    EXPECT_EQ(table->GenerateThumbnailForURL(instance, &thumbnail, "file:///nowhere", nullptr, nullptr, 64, 64), PF_S_OK);
    EXPECT_EQ(table->AddRef(instance), 3u);
    EXPECT_EQ(table->Release(instance), 2u);
    EXPECT_EQ(table->Release(instance), 1u);
    EXPECT_EQ(table->Release(instance), 0u);
}

} // namespace

namespace {

struct Delivered {
    QByteArray pdf;
};

int acceptAnyPdf(void*, double, double, double width, double height, const PFQLPreviewProperties*)
{
    return width > 0 && height > 0 ? 1 : 0;
}

void keepPdf(void* host, const char* bytes, size_t length)
{
    static_cast<Delivered*>(host)->pdf = QByteArray(bytes, static_cast<qsizetype>(length));
}

// The plug-in declares concurrent requests supported: eight at once, many times over, through the loaded
// plug-in, each drawing the sample (every kind, the icons and the settings store among them) must give the
// PDF one request alone gives.
TEST(PreviewConcurrency, EightRequestsAtOnceDrawWhatOneDrawsAlone)
{
    const auto plugIn = pf::PlugIn::load(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN));
    ASSERT_TRUE(plugIn);
    void* instance = plugIn->instanceWithInterface(*pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_TYPE)),
                                                   *pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_CALLBACKS_INTERFACE)));
    ASSERT_NE(instance, nullptr);
    auto* generator = *static_cast<PFQLGeneratorInterface**>(instance);
    const QByteArray url =
        QUrl::fromLocalFile(QStringLiteral(QUORVEL_TEST_DATA "/../../resources/samples/Sample.quorveldoc")).toEncoded();
    const auto preview = [&](Delivered& delivered) {
        PFQLPreviewRequest request{&delivered, acceptAnyPdf, keepPdf};
        return generator->GeneratePreviewForURL(instance, &request, url.constData(), nullptr, nullptr);
    };

    constexpr int requests = 8;
    const int rounds = qEnvironmentVariableIsSet("QUORVEL_PREVIEW_ROUNDS") ? qEnvironmentVariableIntValue("QUORVEL_PREVIEW_ROUNDS") : 6;
    std::vector<QByteArray> pdfs;
    for (int round = 0; round < rounds; ++round) {
        std::vector<Delivered> delivered(requests);
        std::vector<PFResult> status(requests, -1);
        std::vector<std::thread> threads;
        for (int i = 0; i < requests; ++i)
            threads.emplace_back([&, i] { status[size_t(i)] = preview(delivered[size_t(i)]); });
        for (std::thread& thread : threads)
            thread.join();
        for (int i = 0; i < requests; ++i) {
            ASSERT_EQ(status[size_t(i)], PF_S_OK);
            ASSERT_FALSE(delivered[size_t(i)].pdf.isEmpty());
            pdfs.push_back(delivered[size_t(i)].pdf);
        }
    }
    Delivered alone;
    ASSERT_EQ(preview(alone), PF_S_OK);
    // The writer stamps the time and names font subsets afresh: the pages are compared as drawn.
    QTemporaryDir dir;
    const auto pages = [&dir](const QByteArray& pdf) {
        const QString file = dir.filePath(QStringLiteral("preview.pdf"));
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(pdf);
        out.close();
        QProcess render;
        render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("36"), file});
        EXPECT_TRUE(render.waitForFinished(60000));
        return render.readAllStandardOutput();
    };
    const QByteArray expected = pages(alone.pdf);
    ASSERT_GT(expected.size(), 1000);
    for (size_t i = 0; i < pdfs.size(); ++i)
        EXPECT_TRUE(pages(pdfs[i]) == expected) << "request " << i << " drew other pages";
    generator->Release(instance);
}

} // namespace

namespace {

QStringList logged;

void keepMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    logged.append(message);
}

// The plug-in's own entry points are exported by their names beside the factory and the callbacks; a
// preview of an empty data file or of data without pages fails quietly.
TEST(PreviewEntryPoints, AreExportedAndLogOnlyRealReadErrors)
{
    QLibrary library(QStringLiteral(QUORVEL_QUICKLOOK_PLUGIN));
    ASSERT_TRUE(library.load()) << qPrintable(library.errorString());
    for (const char* name : {"QuickLookGeneratorPluginFactory", "AllocQuickLookGeneratorPluginType",
                             "DeallocQuickLookGeneratorPluginType", "QuickLookGeneratorQueryInterface",
                             "QuickLookGeneratorPluginAddRef", "QuickLookGeneratorPluginRelease",
                             "GeneratePreviewForURL", "GenerateThumbnailForURL", "CancelPreviewGeneration",
                             "CancelThumbnailGeneration"})
        EXPECT_NE(library.resolve(name), nullptr) << name;

    using Alloc = void* (*)(PFUUIDBytes);
    using Query = PFResult (*)(void*, PFUUIDBytes, void**);
    using Count = uint32_t (*)(void*);
    const auto alloc = reinterpret_cast<Alloc>(library.resolve("AllocQuickLookGeneratorPluginType"));
    const auto query = reinterpret_cast<Query>(library.resolve("QuickLookGeneratorQueryInterface"));
    const auto addRef = reinterpret_cast<Count>(library.resolve("QuickLookGeneratorPluginAddRef"));
    const auto release = reinterpret_cast<Count>(library.resolve("QuickLookGeneratorPluginRelease"));
    ASSERT_TRUE(alloc && query && addRef && release);
    void* instance = alloc(pf::Uuid::fromString(QStringLiteral("3B0C1F7E-6A52-4D8B-9E1D-8C4F2A7B5D60"))->bytes());
    ASSERT_NE(instance, nullptr);
    void* generator = nullptr;
    ASSERT_EQ(query(instance, pf::Uuid::fromString(QStringLiteral(PF_QL_GENERATOR_CALLBACKS_INTERFACE))->bytes(), &generator), PF_S_OK);
    EXPECT_EQ(addRef(instance), 3u);
    EXPECT_EQ(release(instance), 2u);

    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("Empty.quorveldoc"));
    const QString noPages = dir.filePath(QStringLiteral("NoPages.quorveldoc"));
    for (const QString& package : {empty, noPages})
        ASSERT_TRUE(QDir().mkpath(package));
    QFile(empty + QStringLiteral("/composition_data.plist")).open(QIODevice::WriteOnly);
    QFile pageless(noPages + QStringLiteral("/composition_data.plist"));
    ASSERT_TRUE(pageless.open(QIODevice::WriteOnly));
    pageless.write("<plist><dict><key>compositions</key><array/></dict></plist>");
    pageless.close();
    auto* table = *static_cast<PFQLGeneratorInterface**>(instance);
    for (const QString& package : {empty, noPages}) {
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        PFQLPreviewRequest request{nullptr, acceptAnyPdf, keepPdf};
        const QByteArray url = QUrl::fromLocalFile(package).toEncoded();
        const PFResult status = table->GeneratePreviewForURL(instance, &request, url.constData(), nullptr, nullptr);
        qInstallMessageHandler(previous);
        EXPECT_NE(status, PF_S_OK) << qPrintable(package);
        EXPECT_TRUE(logged.isEmpty()) << qPrintable(package) << ": " << qPrintable(logged.join(u'\n'));
    }
    EXPECT_EQ(release(instance), 1u);
    EXPECT_EQ(release(instance), 0u);
}

} // namespace

namespace {

// The sample shows the kinds as a user gets them from the library, not in the library's own preview
// style, and a loupe and a redaction over its picture.
TEST(PreviewSample, ShowsLibraryDefaultsAndALoupeAndARedactionOverItsPicture)
{
    registerControlKinds(pf::ClassRegistry::shared());
    // Built-in defaults only, as the sample is made: other tests here leave sticky styles behind.
    auto builtIn = std::make_unique<pf::UserDefaultsStore>();
    UserDefaults::registerDefaultValues(*builtIn);
    struct Restore {
        std::unique_ptr<pf::UserDefaultsStore> previous;
        ~Restore() { pf::UserDefaultsStore::replaceStandard(std::move(previous)); }
    } restore{pf::UserDefaultsStore::replaceStandard(std::move(builtIn))};
    QFile file(QStringLiteral(QUORVEL_TEST_DATA "/../../resources/samples/Sample.quorveldoc/composition_data.plist"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pf::PropertyListReadResult read = pf::readPropertyList(file.readAll());
    ASSERT_TRUE(read.ok()) << qPrintable(read.error);
    std::map<QString, pf::Rect> frames;
    int compared = 0;
    for (const pf::Value& page : read.value->arrayForKey("compositions")) {
        for (const pf::Value& child : page.arrayForKey("children")) {
            const QString& kind = child.stringForKey("className");
            frames[kind] = pf::rectFromString(child.stringForKey("frame"));
            const ShapeClass* shapeClass = pf::ClassRegistry::shared().lookup<ShapeClass>(kind);
            ASSERT_NE(shapeClass, nullptr) << qPrintable(kind);
            const pf::Value fresh = shapeClass->newShape(frames[kind])->asPlist();
            for (const char* key : {"fillType", "fillColor", "strokeType", "strokeColor", "strokeLineWidth"}) {
                EXPECT_EQ(child.objectForKey(key), fresh.objectForKey(key)) << qPrintable(kind) << " " << key;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 200);
    ASSERT_TRUE(frames.count(QStringLiteral("Image")));
    for (const char* over : {"Loupe", "Redact"}) {
        ASSERT_TRUE(frames.count(QString::fromLatin1(over))) << over;
        EXPECT_TRUE(frames[QString::fromLatin1(over)].intersects(frames[QStringLiteral("Image")])) << over;
    }
}

} // namespace
