#include "model/FilterInfo.h"

#include "model/PropertyListResource.h"
#include "model/StoredNumbers.h"
#include "platform/foundation/Localized.h"

#include <cmath>

namespace {

const QString kNone = QStringLiteral("none");

FilterInfo::Catalogue loadCatalogue()
{
    // Without the resource there are no filters; specs then answer the built-in "none" entry.
    const auto plist = propertyListResource(QStringLiteral("FilterInfos"));
    return plist ? FilterInfo::catalogueFromPlist(*plist) : FilterInfo::Catalogue();
}

// "CIGaussianBlur" -> "Gaussian Blur": the filter's name in words.
QString wordsOfFilterName(const QString& name)
{
    QString base = name.startsWith(QLatin1String("CI")) ? name.mid(2) : name;
    QString words;
    for (qsizetype i = 0; i < base.size(); ++i) {
        const QChar c = base.at(i);
        if (i > 0 && c.isUpper() && !base.at(i - 1).isUpper())
            words += QLatin1Char(' ');
        words += c;
    }
    return words;
}

} // namespace

const FilterInfo::Catalogue& FilterInfo::allFilterInfos()
{
    static const Catalogue catalogue = loadCatalogue();
    return catalogue;
}

std::shared_ptr<const FilterInfo> FilterInfo::filterInfoWithType(unsigned type)
{
    return filterInfoWithTypeInCatalogue(allFilterInfos(), type);
}

std::shared_ptr<const FilterInfo> FilterInfo::filterInfoWithTypeInCatalogue(const Catalogue& catalogue, unsigned type)
{
    if (type < catalogue.size())
        return catalogue[type];
    // A spec from a newer catalogue or from damaged data applies nothing.
    return catalogue.empty() ? noneFilterInfo() : catalogue.front();
}

std::shared_ptr<const FilterInfo> FilterInfo::noneFilterInfo()
{
    static const std::shared_ptr<const FilterInfo> none = [] {
        auto info = std::make_shared<FilterInfo>();
        info->name_ = kNone;
        return info;
    }();
    return none;
}

FilterInfo::Catalogue FilterInfo::catalogueFromPlist(const pf::Value& plist)
{
    Catalogue catalogue;
    catalogue.reserve(plist.asArray().size());
    for (const pf::Value& entry : plist.asArray())
        catalogue.push_back(fromPlist(entry));
    return catalogue;
}

QString FilterInfo::localizedName() const
{
    if (name_ == kNone)
        return pf::localized(QStringLiteral("None"));
    return pf::localized(wordsOfFilterName(name_));
}

pf::Value FilterInfo::asPlist() const
{
    pf::Value::Dictionary d{{QStringLiteral("type"), type_},
                            {QStringLiteral("sliderEnabled"), sliderEnabled_},
                            {QStringLiteral("defaultSliderValue"), defaultSliderValue_},
                            {QStringLiteral("minSliderValue"), minSliderValue_},
                            {QStringLiteral("maxSliderValue"), maxSliderValue_},
                            {QStringLiteral("sliderValueMultiple"), sliderValueMultiple_}};
    if (!name_.isNull())
        d.emplace(QStringLiteral("name"), name_);
    if (!sliderKey_.isNull())
        d.emplace(QStringLiteral("sliderKey"), sliderKey_);
    return pf::Value(std::move(d));
}

std::shared_ptr<const FilterInfo> FilterInfo::fromPlist(const pf::Value& plist)
{
    auto info = std::make_shared<FilterInfo>();
    info->type_ = static_cast<unsigned>(plist.unsignedIntegerForKey(u"type"));
    info->name_ = plist.stringForKey(u"name");
    info->sliderKey_ = plist.stringForKey(u"sliderKey");
    info->sliderEnabled_ = plist.boolForKey(u"sliderEnabled");
    info->defaultSliderValue_ = storedDouble(plist, u"defaultSliderValue");
    info->minSliderValue_ = storedDouble(plist, u"minSliderValue");
    info->maxSliderValue_ = storedDouble(plist, u"maxSliderValue");
    const double multiple = storedDouble(plist, u"sliderValueMultiple");
    info->sliderValueMultiple_ = multiple != 0 ? multiple : 1.0;
    return info;
}
