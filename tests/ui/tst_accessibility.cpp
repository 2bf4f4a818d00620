// Every window as a screen reader meets it through the accessibility interface: each control a
// person uses has a name, no two controls of a window sound alike, the rating bar says its mark
// and the web link is a link that the keys and the press action open.
#include "UiTestSupport.h"

#include "store/FilmCollection.h"
#include "ui/WebLink.h"
#include "ui/frmDataReloader.h"
#include "ui/frmEditor.h"
#include "ui/frmInfo.h"
#include "ui/frmMain.h"
#include "ui/frmWizard.h"

#include <QAccessible>
#include <QFrame>

using namespace kinora;
using namespace kinora::test;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// The controls below node, as "name|description" for each, and a complaint for each one that
// has no name, one with a mnemonic's & or a label's colon, or is a combo box without a label.
void walk(QAccessibleInterface* node, QStringList& said, QStringList& faults)
{
    using R = QAccessible::Role;
    static const QList<R> controls = {
        R::PushButton, R::CheckBox,    R::RadioButton, R::ComboBox,   R::EditableText,
        R::List,       R::Tree,        R::Table,       R::Slider,     R::SpinBox,
        R::Link,       R::ProgressBar, R::MenuItem,    R::ButtonMenu, R::PageTab};
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child)
            continue;
        const R role = child->role();
        const QString name = child->text(QAccessible::Name);
        const QString where = child->object() ? child->object()->objectName() : QString();
        if (controls.contains(role)) {
            // On Linux a combo box is named by its entry, for screen readers by its label.
            const bool unlabelled =
                role == R::ComboBox && child->relations(QAccessible::Label).isEmpty();
            if (name.trimmed().isEmpty() || name.contains(u'&') || name.endsWith(u':') ||
                unlabelled)
                faults
                    << QStringLiteral("%1 (role %2): \"%3\"").arg(where).arg(int(role)).arg(name);
            said << name + u'|' + child->text(QAccessible::Description);
        }
        // The items of a list or box are named by their own text.
        if (role != R::List && role != R::Tree && role != R::Table && role != R::ComboBox)
            walk(child, said, faults);
    }
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_home;
    FilmCollection m_films;
    std::unique_ptr<frmMain> m_main;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("KINORA_HOME", m_home.path().toUtf8());
        qputenv("KINORA_SITE_URL", "http://films.example:8080/base/");
        FilmRecord shown = film("Alien", "1979", 758);
        shown.WebPage = "http://films.example:8080/base/film/alien";
        storeFilm(m_home.path(), "Alien", shown);
        m_films.setSyncPaths(m_home.path());
        m_main = std::make_unique<frmMain>(m_films);
        m_main->scanCollection();
        m_main->show();
        m_main->refreshFullList();
        m_main->focusList();
    }
    void cleanupTestCase()
    {
        m_main.reset();
        SetWebPageOpener({});
    }

    void everyControlNamed_data()
    {
        QTest::addColumn<QWidget*>("window");
        QTest::addColumn<int>("controls");
        auto* wizard = new frmWizard(m_films, m_main.get());
        auto* editor = new frmEditor(m_main.get());
        auto* reloader = new frmDataReloader(m_films, m_main.get());
        auto* info = new frmInfo(m_main.get());
        // The wizard holds its three pages, shown or not.
        // clang-format off
        QTest::newRow("main window") << static_cast<QWidget*>(m_main.get()) << 12;
        QTest::newRow("wizard")      << static_cast<QWidget*>(wizard)      << 26;
        QTest::newRow("editor")      << static_cast<QWidget*>(editor)      << 13;
        QTest::newRow("reload")      << static_cast<QWidget*>(reloader)    << 2;
        QTest::newRow("info")        << static_cast<QWidget*>(info)        << 2;
        // clang-format on
    }
    void everyControlNamed()
    {
        QFETCH(QWidget*, window);
        QStringList said, faults;
        walk(accessible(window), said, faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QTEST(int(said.size()), "controls");
        QCOMPARE(QSet<QString>(said.begin(), said.end()).size(), said.size());
    }

    void ratingBarSaysTheMark()
    {
        QCOMPARE(accessible(child<QFrame>(m_main.get(), "Shape1"))->text(QAccessible::Name),
                 QStringLiteral("Bewertung 7,58 von 10"));
    }

    void webLinkOpensByKeysAndPress_data()
    {
        QTest::addColumn<int>("key"); // 0: the accessibility interface's press action
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("press action") << 0;
    }
    void webLinkOpensByKeysAndPress()
    {
        QFETCH(int, key);
        auto* link = child<QLabel>(m_main.get(), "Label10");
        QAccessibleInterface* face = accessible(link);
        QCOMPARE(face->role(), QAccessible::Link);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("films.example"));
        QVERIFY(face->state().focusable);
        QList<QUrl> opened;
        SetWebPageOpener([&](const QUrl& url) { return opened << url, true; });
        link->setFocus();
        if (key)
            QTest::keyClick(link, Qt::Key(key));
        else
            face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(opened, QList<QUrl>{QUrl("http://films.example:8080/base/film/alien")});
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
