#include "quicklook/PreviewImageSource.h"

#include "model/Composition.h"

pf::Rect PreviewImageSource::visibleRectForComposition(Composition& page)
{
    return page.bounds();
}

pf::Image PreviewImageSource::compositionImageForIdentifier(Composition&, const QString& identifier)
{
    const QByteArray data = images_.dataForIdentifier(identifier);
    return data.isEmpty() ? pf::Image() : pf::Image::fromData(data);
}
