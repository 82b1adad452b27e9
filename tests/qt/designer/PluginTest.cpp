#include <QFile>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include "QtTests.hpp"

// The Designer plugin as Designer loads it: from its file, through its interface.
class DesignerPluginTest : public QObject {
    Q_OBJECT

    QPluginLoader Loader{QUORIX_QT_PLUGIN_DIR "/designer/libquorix_designer.so"};
    QList<QDesignerCustomWidgetInterface*> Widgets;

private slots:
    void initTestCase() {
        QVERIFY2(Loader.load(), qPrintable(Loader.errorString()));
        auto* Collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(Loader.instance());
        QVERIFY(Collection);
        Widgets = Collection->customWidgets();
    }

    void offersBothEditsOnTheMathPage() {
        QStringList Names;
        for (const QDesignerCustomWidgetInterface* Widget : Widgets) {
            Names << Widget->name();
            QCOMPARE(Widget->group(), QString("Math"));
            QVERIFY(!Widget->isContainer());
            QVERIFY(Widget->domXml().contains("class=\"" + Widget->name() + "\""));
            QVERIFY2(QFile::exists(QUORIX_SOURCE_DIR "/" + Widget->includeFile()),
                     qPrintable(Widget->includeFile()));
        }
        QCOMPARE(Names, (QStringList{"QuorixParserEdit", "QuorixDBParserEdit"}));
    }

    // The packages' glyphs: 24 x 24, the lower-left pixel white.
    void iconsAreThePackagesGlyphs() {
        for (const QDesignerCustomWidgetInterface* Widget : Widgets) {
            const QIcon Icon = Widget->icon();
            QVERIFY2(!Icon.isNull(), qPrintable(Widget->name()));
            const QImage Image = Icon.pixmap(24, 24).toImage();
            QCOMPARE(Image.size(), QSize(24, 24));
            QCOMPARE(QColor(Image.pixel(0, 23)), QColor(Qt::white));
            QVERIFY(Image.colorCount() <= 16 ||
                    Image.convertToFormat(QImage::Format_Indexed8).colorCount() <= 16);
        }
        QVERIFY(Widgets[0]->icon().pixmap(24, 24).toImage() != Widgets[1]->icon().pixmap(24, 24).toImage());
    }

    void widgetsCarryTheFormatPatternsAsDesignableProperties() {
        for (QDesignerCustomWidgetInterface* Widget : Widgets) {
            QWidget Parent;
            QWidget* Made = Widget->createWidget(&Parent);
            QCOMPARE(QString(Made->metaObject()->className()), Widget->name());
            for (const char* sName : {"editFormat", "displayFormat"}) {
                const QMetaProperty Property =
                    Made->metaObject()->property(Made->metaObject()->indexOfProperty(sName));
                QVERIFY(Property.isWritable() && Property.isDesignable());
                QVERIFY(Made->setProperty(sName, "0.00"));
                QCOMPARE(Made->property(sName), QVariant("0.00"));
            }
        }
    }
};

QUORIX_QT_TEST(DesignerPluginTest);

#include "PluginTest.moc"
