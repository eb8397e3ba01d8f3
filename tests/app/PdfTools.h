// The poppler command-line tools, to read PDF files as other programs do: run one and answer its output.
#pragma once

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace pdftools {

inline bool available() { return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
                                 !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty(); }

inline QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << qPrintable(program);
    return QString::fromUtf8(process.readAll());
}

// The media box size of every page, in points.
inline std::vector<QSizeF> pageSizes(const QString& pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                         QStringLiteral("99"), pdf});
    std::vector<QSizeF> sizes;
    static const QRegularExpression line(QStringLiteral("Page\\s+\\d+ size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    for (auto it = line.globalMatch(info); it.hasNext();) {
        const auto match = it.next();
        sizes.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
    }
    return sizes;
}

// One page drawn at 72 dpi (a pixel a point); null when it cannot be.
inline QImage renderedPage(const QString& pdf, int page, const QString& prefix)
{
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                                     QString::number(page), QStringLiteral("-l"), QString::number(page),
                                     QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

} // namespace pdftools
