// The Designer plugin: the evaluating edit widgets on the widget-box page "Math", with
// the packages' palette glyphs as icons. The parser and the data layer are
// non-visual and stay code-only.
#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace quorix::qt {

// One widget class as Designer offers it.
class TMathWidget : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    using TCreate = QWidget* (*)(QWidget* parent);
    TMathWidget(QString sClassName, QString sGlyphName, QString sToolTip, TCreate Create, QObject* parent);

    QString name() const override { return FClassName; }
    QString group() const override;
    QString toolTip() const override { return FToolTip; }
    QString whatsThis() const override { return FToolTip; }
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* parent) override { return FCreate(parent); }
    QString domXml() const override;

private:
    QString FClassName;
    QString FGlyphName;
    QString FToolTip;
    TCreate FCreate;
};

class TMathWidgets : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit TMathWidgets(QObject* parent = nullptr);
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return FWidgets; }

private:
    QList<QDesignerCustomWidgetInterface*> FWidgets;
};

}  // namespace quorix::qt
