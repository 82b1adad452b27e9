#include "qt/ErrorText.hpp"

#include <QCoreApplication>

#include "builtins/ExtParser.hpp"

namespace quorix::qt {

QString ErrorText(int iErrCode) {
    const char* sText = nullptr;
    switch (iErrCode) {
    case qeOperand: sText = "Operand missing"; break;
    case qeNoClosing: sText = "Closing parenthesis missing"; break;
    case qeNoOpening: sText = "Opening parenthesis missing"; break;
    case qeUnknownName: sText = "Unknown name"; break;
    case qeOpenString: sText = "String not closed"; break;
    case qeDivisionByZero: sText = "Division by zero"; break;
    case qeTooDeep: sText = "Calls nested too deeply"; break;
    case epWrongKind: sText = "Wrong kind of argument"; break;
    case epOutOfDomain: sText = "Argument outside the function's domain"; break;
    case epTooFewArguments: sText = "Too few arguments"; break;
    case epTooManyArguments: sText = "Too many arguments"; break;
    default: return QCoreApplication::translate("Quorix", "Error %1").arg(iErrCode);
    }
    return QCoreApplication::translate("Quorix", sText);
}

QString ErrorTextAt(int iErrCode, int iPos) {
    return QCoreApplication::translate("Quorix", "%1 at character %2").arg(ErrorText(iErrCode)).arg(iPos + 1);
}

}  // namespace quorix::qt
