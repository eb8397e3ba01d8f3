#include "platform/foundation/Identifier.h"

#include <QUuid>

namespace pf {

QString newIdentifier() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

} // namespace pf
