// A Qt window with an evaluating field: type an expression and press Enter (or leave
// the field), and the field shows its value; the line below says what happened.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "builtins/AttachFunctions.hpp"
#include "builtins/ExtParser.hpp"
#include "qt/ErrorText.hpp"
#include "qt/QuorixParserEdit.hpp"

int main(int argc, char** argv) {
    QApplication App(argc, argv);

    quorix::TExtParser Parser(nullptr);  // outlives the window, which uses it
    quorix::AttachEverydayFunctions(Parser);

    QWidget Window;
    Window.setWindowTitle("Quorix in a Qt window");
    auto* Layout = new QVBoxLayout(&Window);
    auto* Field = new QuorixParserEdit;
    Field->setParser(&Parser);
    Field->setDisplayFormat("#,##0.00");
    auto* Status = new QLabel("Type an expression, such as Round(1250*1.045^3), and press Enter");
    Layout->addWidget(Field);
    Layout->addWidget(Status);

    // The widget turns a rejected text red on its own; the parser says why.
    Parser.SetOnError(
        [Status](int iPos, int iErrCode) { Status->setText(quorix::qt::ErrorTextAt(iErrCode, iPos)); });
    QObject::connect(Field, &QuorixParserEdit::committed, Status, [Field, Status] {
        if (!Field->hasError()) Status->setText("Value: " + Field->value().toString());
    });

    Window.show();
    return App.exec();
}
