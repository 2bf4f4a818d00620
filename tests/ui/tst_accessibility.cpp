// Every window through QAccessible: each control is named (a combo box also labelled) and told
// apart; the rating bar says its mark; Space, Enter and the press action open the web link;
// each field label's letter leads to its field.
#include "UiTestSupport.h"

#include "ui/LendDialog.h"
#include "ui/WebLink.h"
#include "ui/frmDataReloader.h"
#include "ui/frmEditor.h"
#include "ui/frmInfo.h"
#include "ui/frmMain.h"
#include "ui/frmStatistics.h"
#include "ui/frmWizard.h"

#include "store/FilmCollection.h"

#include <QAccessible>

using namespace kinora;
using namespace kinora::test;

// Each control below node as "name|description"; faults: unnamed, with & or colon, unlabelled.
static void walk(QAccessibleInterface* node, QStringList& said, QStringList& faults)
{
    using R = QAccessible::Role;
    const QList<R> controls = {R::PushButton,   R::CheckBox, R::RadioButton, R::ComboBox,
                               R::EditableText, R::List,     R::Tree,        R::Table,
                               R::Slider,       R::SpinBox,  R::Link,        R::ProgressBar,
                               R::MenuItem,     R::PageTab};
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* item = node->child(i);
        const QString name = item->text(QAccessible::Name);
        if (controls.contains(item->role())) {
            said << name + u'|' + item->text(QAccessible::Description);
            if (name.trimmed().isEmpty() || name.contains(u'&') || name.endsWith(u':') ||
                (item->role() == R::ComboBox && item->relations(QAccessible::Label).isEmpty()))
                faults << item->object()->objectName() + u' ' + name;
        }
        if (!QList<R>{R::List, R::Tree, R::Table, R::ComboBox}.contains(item->role()))
            walk(item, said, faults); // items are named by their own text
    }
}

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyWindow()
    {
        QTemporaryDir home;
        qputenv("KINORA_HOME", home.path().toUtf8());
        qputenv("KINORA_SITE_URL", "http://films.example/");
        FilmRecord shown = film("Alien", "1979", 758);
        shown.WebPage = "http://films.example/alien";
        storeFilm(home.path(), "Alien", shown);
        FilmCollection films;
        films.setSyncPaths(home.path());
        frmMain main(films);
        main.scanCollection();
        main.refreshFullList();
        // The wizard counts its three pages, shown or not.
        // clang-format off
        const std::pair<QWidget*, int> windows[] = {
            {&main, 15}, {new frmWizard(films, &main), 26}, {new frmEditor(&main), 24},
            {new frmDataReloader(films, &main), 2}, {new frmInfo(&main), 2}, {new frmStatistics(&main), 2},
            {new LendDialog("Alien", &main), 4},
        };
        // clang-format on
        for (const auto& [window, controls] : windows) {
            QStringList said, faults;
            walk(QAccessible::queryAccessibleInterface(window), said, faults);
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
            QCOMPARE(said.size(), controls);
            QCOMPARE(QSet<QString>(said.begin(), said.end()).size(), controls);
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(child<QWidget>(&main, "Shape1"))
                     ->text(QAccessible::Name),
                 QStringLiteral("Bewertung 7,58 von 10"));
        auto* link = child<QLabel>(&main, "Label10");
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(link);
        QVERIFY(face->role() == QAccessible::Link && face->state().focusable);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("films.example"));
        int opened = 0;
        SetWebPageOpener([&](const QUrl& url) { return opened += url.path() == u"/alien", true; });
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return})
            QTest::keyClick(link, key);
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        SetWebPageOpener({});
        QCOMPARE(opened, 3);
    }

    // Per window and wizard page, the letters of the labels and buttons shown together differ,
    // and Alt with a label's letter puts the focus in its field.
    void fieldLetters()
    {
        FilmCollection films;
        frmEditor editor;
        frmWizard wizard(films);
        for (const auto& [window, page] : {std::pair<QWidget*, QString>{&editor, ""},
                                           {&wizard, "Frame2"},
                                           {&wizard, "Frame3"}}) {
            for (QFrame* frame : window->findChildren<QFrame*>(QRegularExpression("^Frame[123]$")))
                frame->setVisible(frame->objectName() == page);
            window->show();
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
            QString letters;
            for (QWidget* w : window->findChildren<QWidget*>()) {
                const QString text = w->property("text").toString(); // fields are empty
                const QString letter = QRegularExpression("&(.)").match(text).captured(1).toLower();
                if (letter.isEmpty() || !w->isVisibleTo(window))
                    continue;
                QVERIFY2(!letters.contains(letter), qPrintable(page + text));
                letters += letter;
                if (auto* label = qobject_cast<QLabel*>(w)) {
                    QTest::keyClick(window, letter[0].toLatin1(), Qt::AltModifier);
                    QVERIFY2(label->buddy() && label->buddy()->hasFocus(), qPrintable(text));
                }
            }
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
