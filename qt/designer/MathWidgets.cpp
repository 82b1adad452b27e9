#include "qt/designer/MathWidgets.hpp"

#include "qt/Glyphs.hpp"
#include "qt/QuorixDBParserEdit.hpp"

namespace quorix::qt {

TMathWidget::TMathWidget(QString sClassName, QString sGlyphName, QString sToolTip, TCreate Create,
                         QObject* parent)
    : QObject(parent),
      FClassName(std::move(sClassName)),
      FGlyphName(std::move(sGlyphName)),
      FToolTip(std::move(sToolTip)),
      FCreate(Create) {}

QString TMathWidget::group() const { return QStringLiteral("Math"); }

QString TMathWidget::includeFile() const { return "qt/" + FClassName + ".hpp"; }

QIcon TMathWidget::icon() const { return GlyphIcon(FGlyphName.toStdString()); }

// The format patterns are ordinary properties; a fresh widget starts with the plain
// conversion in both.
QString TMathWidget::domXml() const {
    return QStringLiteral(
               "<ui language=\"c++\"><widget class=\"%1\" name=\"%2\">"
               "<property "
               "name=\"geometry\"><rect><x>0</x><y>0</y><width>121</width><height>24</height></rect></"
               "property>"
               "</widget></ui>")
        .arg(FClassName, FClassName.mid(6, 1).toLower() + FClassName.mid(7));
}

TMathWidgets::TMathWidgets(QObject* parent) : QObject(parent) {
    FWidgets.append(new TMathWidget(
        "QuorixParserEdit", "TPARSEREDIT", tr("An edit field that evaluates the expression typed into it"),
        [](QWidget* Parent) -> QWidget* { return new QuorixParserEdit(Parent); }, this));
    FWidgets.append(new TMathWidget(
        "QuorixDBParserEdit", "TDBPARSEREDIT",
        tr("An evaluating edit field bound to a numeric database field"),
        [](QWidget* Parent) -> QWidget* { return new QuorixDBParserEdit(Parent); }, this));
}

}  // namespace quorix::qt
