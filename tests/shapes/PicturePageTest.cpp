// One page with the picture kinds over other shapes, drawn and compared with the reference picture: a
// scaled and an anchored picture, a filtered shape, a loupe and a redaction.
#include "PictureKindsTestSupport.h"

#include "support/ReferencePicture.h"

#include <QPainter>

namespace {

pf::Image stripes()
{
    QImage bitmap(40, 30, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&bitmap);
    for (int i = 0; i < 4; ++i)
        p.fillRect(i * 10, 0, 10, 30, QColor::fromHsv(i * 80, 200, 230));
    p.fillRect(0, 20, 40, 10, Qt::black);
    return pf::Image(bitmap);
}

TEST_F(PictureKindsTest, PicturesLoupeAndRedactionOnOnePageMatchTheReferencePicture)
{
    // What the loupe and the redaction show: stripes and a disc.
    for (int i = 0; i < 6; ++i)
        box(pf::Rect(10 + i * 6, 10, 3, 60), pf::Color(0.1 * i, 0.3, 0.8 - 0.1 * i, 1));
    auto disc = onPage<Ellipse>(pf::Rect(50, 20, 40, 40));
    disc->setFillType(0);
    disc->setFillColor(pf::Color(0.9, 0.5, 0.1, 1));

    auto scaled = onPage<Image>(pf::Rect(110, 10, 80, 60));
    scaled->setScaleImage(true);
    scaled->setImage(stripes());
    auto anchored = onPage<Image>(pf::Rect(200, 10, 60, 60));
    anchored->setScaleImage(false);
    anchored->setImageAnchorRatio(pf::Point(0.25, 0.75));
    anchored->setImage(stripes());
    anchored->setStrokeType(0);
    anchored->setStrokeLineWidth(1);
    anchored->setStrokeColor(pf::Color(0, 0, 0, 1));

    auto blurred = box(pf::Rect(280, 20, 50, 40), pf::Color(0.2, 0.6, 0.3, 1));
    auto blur = FilterSpec::filterSpec();
    blur->setType(1);
    blur->setSliderValue(4);
    blurred->setContentFilterSpecs({blur});

    // Both on a white ground, as the canvas shows them over the page's colour.
    auto loupe = onPage<Loupe>(pf::Rect(10, 90, 120, 90));
    loupe->setFillType(0);
    loupe->setFillColor(pf::Color(1, 1, 1, 1));
    loupe->setStrokeType(0);
    loupe->setStrokeLineWidth(2);
    loupe->setStrokeColor(pf::Color(0.2, 0.2, 0.2, 1));
    loupe->setZoomTargetScale(4);
    loupe->setZoomTargetPoint(pf::Point(45, 40));

    auto redact = onPage<Redact>(pf::Rect(40, 15, 60, 40));
    redact->setAdjustmentRatioX(8);
    redact->setFillType(0);
    redact->setFillColor(pf::Color(1, 1, 1, 1));

    pf::BitmapContext context(pf::Size(340, 190), 1.0, true, false);
    context.setFillColor(pf::Color(1, 1, 1, 1));
    context.fillRect(pf::Rect(0, 0, 340, 190));
    context.translate(0.5, 0.5);
    page->drawInContextDirtyRect(context, pf::Rect(0, 0, 340, 190));
    expectMatchesReferencePicture(context.bitmap(), QStringLiteral(QUORVEL_TEST_DATA "/shapes/picture-kinds.png"));
}

} // namespace
