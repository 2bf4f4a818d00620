#pragma once

#include "store/FilmRecord.h"
#include "store/SideFile.h"
#include "store/Status.h"

#include <QJsonObject>
#include <QString>

namespace kinora::cli {

// The record as one compact JSON object with the twelve field names in file order,
// Rating as a number; extra members (such as "index") go first, the own fields last as the
// object "Eigene" (left out when there are none).
QString recordToJson(const FilmRecord& record, const QJsonObject& extra = {},
                     const OwnData& own = {});

// The record from a JSON object: missing keys give empty texts and Rating 0. A failure when a
// member has the wrong type.
Status recordFromJson(const QJsonObject& object, FilmRecord* record);

// The own fields from the member "Eigene"; none when it is missing. A failure when it is no
// object or one of its members has the wrong type or value.
Status ownFromJson(const QJsonObject& object, OwnData* own);

} // namespace kinora::cli
