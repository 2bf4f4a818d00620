#include "MemoryRegistry.h"
#include "app/registration/FileTypeRegistration.h"
#include "app/registration/KinoraFileType.h"
#include "app/registration/RegistryAccess.h"

#include <QtTest>

using namespace kinora;

namespace {

const QString kClass = QStringLiteral("Tessaro\\Kinora");

void registerKinora(MemoryRegistry& registry, qint16 replace, const Verbs& verbs = {})
{
    RegisterFileType(registry, QStringLiteral("knr"), kClass, QStringLiteral("K.ico"), replace,
                     verbs, QStringLiteral("DVD-Info-Datei"));
}

} // namespace

class TestFileTypeRegistration : public QObject
{
    Q_OBJECT

private slots:
    // Kinora's description as the registry keeps it; a second start gives exactly the same
    // table. The shell finds the ".exe" itself: only the last extension goes.
    void keyTableAfterEachStart()
    {
        const QString program = QStringLiteral("\"\\opt\\Kinora Filme\\kinora.v2\"");
        const QStringList expected = {
            QStringLiteral(".knr = Tessaro\\Kinora"),
            QStringLiteral("Tessaro"),
            QStringLiteral("Tessaro\\Kinora = DVD-Info-Datei"),
            QStringLiteral("Tessaro\\Kinora\\DefaultIcon = ") +
                QDir::toNativeSeparators(QStringLiteral("/opt/Kinora Filme/KNR.ico")),
            QStringLiteral("Tessaro\\Kinora\\shell"),
            QStringLiteral("Tessaro\\Kinora\\shell\\1 = &Bearbeiten"),
            QStringLiteral("Tessaro\\Kinora\\shell\\1\\command = ") + program + " %1",
            QStringLiteral("Tessaro\\Kinora\\shell\\2 = &Kinora starten"),
            QStringLiteral("Tessaro\\Kinora\\shell\\2\\command = ") + program,
        };
        MemoryRegistry registry;
        for (int run = 0; run < 2; ++run) {
            RegisterFileType(registry,
                             KinoraFileType(QStringLiteral("/opt/Kinora Filme/kinora.v2.exe")));
            QCOMPARE(registry.dump(), expected);
            QCOMPARE(registry.openKeyCount(), 0);
        }
    }

    // Slots without a caption stay empty, also when they hold a command.
    void verbSlotsKeepTheirNumbers_data()
    {
        QTest::addColumn<QList<int>>("filled");
        QTest::newRow("only verb 2") << QList<int>{2};
        QTest::newRow("verbs 3 and 8, gaps stay") << QList<int>{3, 8};
    }
    void verbSlotsKeepTheirNumbers()
    {
        QFETCH(QList<int>, filled);
        Verbs verbs;
        verbs[0].command = QStringLiteral("orphan");
        QStringList expected;
        for (int slot : filled) {
            verbs[slot - 1] = Verb{QStringLiteral("Verb %1").arg(slot), QStringLiteral("cmd")};
            expected << kClass + QStringLiteral("\\shell\\%1 = Verb %1").arg(slot)
                     << kClass + QStringLiteral("\\shell\\%1\\command = cmd").arg(slot);
        }
        MemoryRegistry registry;
        registerKinora(registry, kReplace, verbs);
        QCOMPARE(registry.dump().filter(QStringLiteral("\\shell\\")), expected);
    }

    // A stale value on the class key shows whether the registration deleted the key first.
    void replaceFlagNeedsAllBits_data()
    {
        QTest::addColumn<qint16>("replace");
        QTest::addColumn<bool>("staleSurvives");
        QTest::newRow("1 is not true") << qint16(1) << true;
        QTest::newRow("-1 deletes the class key") << qint16(-1) << false;
    }
    void replaceFlagNeedsAllBits()
    {
        QFETCH(qint16, replace);
        QFETCH(bool, staleSurvives);
        MemoryRegistry registry;
        CreateKey(registry, kClassesRoot, kClass);
        SetValue(registry, kClassesRoot, kClass, QStringLiteral("Stale"), QStringLiteral("x"),
                 kRegSz);
        registerKinora(registry, replace);
        QCOMPARE(registry.dump().contains(QStringLiteral("Tessaro\\Kinora [Stale] = x")),
                 staleSurvives);
    }

    void setValueEncodesByType_data()
    {
        // clang-format off
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("string in Windows-1252 with its zero") << kRegSz << QVariant(QStringLiteral("Bär €映")) << "K = Bär €?";
        QTest::newRow("dword little-endian") << kRegDword << QVariant(0x01020304) << "K = 04030201";
        QTest::newRow("binary type writes nothing") << quint32(3) << QVariant(QStringLiteral("x")) << "K";
        // clang-format on
    }
    void setValueEncodesByType()
    {
        QFETCH(quint32, type);
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        MemoryRegistry registry;
        CreateKey(registry, kClassesRoot, QStringLiteral("K"));
        SetValue(registry, kClassesRoot, QStringLiteral("K"), QString(), value, type);
        QCOMPARE(registry.dump(), QStringList{stored});
    }
};

QTEST_GUILESS_MAIN(TestFileTypeRegistration)
#include "tst_filetyperegistration.moc"
