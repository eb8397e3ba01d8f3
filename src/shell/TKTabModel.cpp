#include "shell/TKTabModel.h"

#include "shell/TabHost.h"

#include "platform/docs/Document.h"
#include "platform/foundation/NotificationCenter.h"

#include <QFileInfo>

TKTabModel::TKTabModel(const QString& URLString, const QString& type)
{
    setURLString(URLString);
    setType(type);
}

void TKTabModel::setURLString(const QString& URLString)
{
    if (URLString == URLString_ && URLString.isNull() == URLString_.isNull())
        return;
    URLString_ = URLString;
    setTitle(URLString.isNull() ? QString() : QFileInfo(URLString).fileName());
}

void TKTabModel::setTitle(const QString& title)
{
    if (title == title_ && title.isNull() == title_.isNull())
        return;
    title_ = title;
    pf::NotificationCenter::defaultCenter().post(QString::fromLatin1(titleDidChangeNotification), this);
}

std::shared_ptr<TKTabModel> TKTabModel::copy() const
{
    auto copy = makeEmpty();
    copy->setURLString(URLString_);
    copy->setType(type_);
    copy->setTitle(title_);
    copy->setRepresentedObject(copyRepresentedObject());
    return copy;
}

QString TKTabModel::description() const
{
    return QStringLiteral("<TKTabModel 0x%1 %2>").arg(reinterpret_cast<quintptr>(this), 0, 16).arg(title_);
}

pf::Value TKTabModel::encode() const
{
    pf::Value coded = pf::Value::dictionary();
    if (!type_.isNull())
        coded.set(QStringLiteral("type"), type_);
    if (!URLString_.isNull())
        coded.set(QStringLiteral("URLString"), URLString_);
    coded.set(QStringLiteral("index"), static_cast<std::int64_t>(index_));
    coded.set(QStringLiteral("selected"), selected_);
    return coded;
}

void TKTabModel::decode(const pf::Value& coded)
{
    setType(coded.objectForKey("type").isString() ? coded.stringForKey("type") : QString());
    setURLString(coded.objectForKey("URLString").isString() ? coded.stringForKey("URLString") : QString());
    const std::int64_t index = coded.integerForKey("index");
    setIndex(index < 0 ? pf::NotFound : static_cast<std::size_t>(index));
    setSelected(coded.boolForKey("selected"));
}

pf::Variant TKTabModel::objectSpecifier() const
{
    if (index_ == pf::NotFound)
        return {};
    pf::VariantMap specifier;
    specifier[QStringLiteral("form")] = "index";
    specifier[QStringLiteral("containerClass")] = "TKDocument";
    specifier[QStringLiteral("container")] = document_ ? document_->objectSpecifier() : pf::Variant();
    specifier[QStringLiteral("key")] = "orderedTabModels";
    specifier[QStringLiteral("index")] = index_;
    return specifier;
}

std::optional<ScriptCommandError> TKTabModel::handleCloseCommand()
{
    auto* owner = dynamic_cast<TabHostOwner*>(document_);
    TabHost* host = owner ? owner->firstTabHost() : nullptr;
    if (!host)
        return std::nullopt;
    const auto& models = host->tabModels();
    std::shared_ptr<TKTabModel> self;
    for (const auto& model : models)
        if (model.get() == this)
            self = model;
    if (!self)
        return std::nullopt;
    if (models.size() <= 1)
        return ScriptCommandError{200, QStringLiteral("Can't remove only page in a document.")};
    host->removeTabModel(self);
    return std::nullopt;
}
