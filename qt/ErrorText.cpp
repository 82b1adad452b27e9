#include "qt/ErrorText.hpp"

#include <QCoreApplication>

#include "builtins/ErrorMessages.hpp"

namespace quorix::qt {

QString ErrorText(int iErrCode) {
    // The calculator's words, begun as a sentence, for a label or tool tip of its own.
    QString sText = QCoreApplication::translate("Quorix", quorix::ErrorMessage(iErrCode));
    if (!sText.isEmpty()) sText[0] = sText[0].toUpper();
    return sText;
}

QString ErrorTextAt(int iErrCode, int iPos) {
    return QCoreApplication::translate("Quorix", "%1 at character %2").arg(ErrorText(iErrCode)).arg(iPos + 1);
}

}  // namespace quorix::qt
