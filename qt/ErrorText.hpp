// What a user reads for an error code that a parser hands to OnError.
#pragma once

#include <QString>

namespace quorix::qt {

QString ErrorText(int iErrCode);
// "Unknown name at character 4": the position is 0-based, the character count 1-based.
QString ErrorTextAt(int iErrCode, int iPos);

}  // namespace quorix::qt
