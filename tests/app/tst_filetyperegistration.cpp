#include "MemoryRegistry.h"
#include "app/registration/FileTypeRegistration.h"
#include "app/registration/KinoraFileType.h"
#include "app/registration/RegistryAccess.h"
#include "app/registration/VerbCommand.h"

#include <QtTest>

using namespace kinora;

namespace {

const QString kClass = QStringLiteral("Tessaro\\Kinora");
const QString kEdit = QStringLiteral("\"C:\\Program Files\\Kinora\\Kinora\" %1");
const QString kStart = QStringLiteral("\"C:\\Program Files\\Kinora\\Kinora\"");
const QString kIcon = QStringLiteral("C:\\Program Files\\Kinora\\KNR.ico");

Verbs startVerbs()
{
    Verbs verbs;
    verbs[0] = Verb{QStringLiteral("&Bearbeiten"), kEdit};
    verbs[1] = Verb{QStringLiteral("&Kinora starten"), kStart};
    return verbs;
}

void registerKinora(MemoryRegistry& registry, qint16 replace = kReplace,
                    const Verbs& verbs = startVerbs())
{
    RegisterFileType(registry, QStringLiteral("knr"), kClass, kIcon, replace, verbs,
                     QStringLiteral("DVD-Info-Datei"));
}

} // namespace

class TestFileTypeRegistration : public QObject
{
    Q_OBJECT

private slots:
    // Kinora's description as the registry keeps it; a second start gives exactly the same
    // table.
    void keyTableAfterEachStart()
    {
        const QString program = QStringLiteral("/opt/Kinora Filme/kinora");
        const QString edit = QStringLiteral("\"\\opt\\Kinora Filme\\kinora\" %1");
        const QString start = QStringLiteral("\"\\opt\\Kinora Filme\\kinora\"");
        const QString icon = QDir::toNativeSeparators(QStringLiteral("/opt/Kinora Filme/KNR.ico"));
        const QStringList expected = {
            QStringLiteral(".knr = Tessaro\\Kinora"),
            QStringLiteral("Tessaro"),
            QStringLiteral("Tessaro\\Kinora = DVD-Info-Datei"),
            QStringLiteral("Tessaro\\Kinora\\DefaultIcon = ") + icon,
            QStringLiteral("Tessaro\\Kinora\\shell"),
            QStringLiteral("Tessaro\\Kinora\\shell\\1 = &Bearbeiten"),
            QStringLiteral("Tessaro\\Kinora\\shell\\1\\command = ") + edit,
            QStringLiteral("Tessaro\\Kinora\\shell\\2 = &Kinora starten"),
            QStringLiteral("Tessaro\\Kinora\\shell\\2\\command = ") + start,
        };
        MemoryRegistry registry;
        for (int run = 0; run < 2; ++run) {
            RegisterFileType(registry, KinoraFileType(program));
            QCOMPARE(registry.dump(), expected);
            QCOMPARE(registry.openKeyCount(), 0);
        }
    }

    void verbSlotsKeepTheirNumbers_data()
    {
        QTest::addColumn<QList<int>>("filled");
        QTest::newRow("only verb 2") << QList<int>{2};
        QTest::newRow("verbs 3 and 8, gaps stay") << QList<int>{3, 8};
        QTest::newRow("none") << QList<int>{};
    }

    void verbSlotsKeepTheirNumbers()
    {
        QFETCH(QList<int>, filled);
        Verbs verbs;
        for (int slot : filled)
            verbs[slot - 1] = Verb{QStringLiteral("Verb %1").arg(slot), QStringLiteral("cmd")};
        // A command without a caption registers nothing.
        if (!filled.contains(1))
            verbs[0].command = QStringLiteral("orphan");
        MemoryRegistry registry;
        registerKinora(registry, kReplace, verbs);
        for (int slot = 1; slot <= kVerbCount; ++slot) {
            const bool expected = filled.contains(slot);
            QCOMPARE(registry.hasKey(VerbKey(kClass, slot)), expected);
            QCOMPARE(registry.hasKey(VerbCommandKey(kClass, slot)), expected);
            if (expected) {
                QCOMPARE(registry.defaultValue(VerbKey(kClass, slot)),
                         QStringLiteral("Verb %1").arg(slot));
                QCOMPARE(registry.defaultValue(VerbCommandKey(kClass, slot)),
                         QStringLiteral("cmd"));
            }
        }
        QCOMPARE(registry.defaultValue(kClass + QStringLiteral("\\DefaultIcon")), kIcon);
    }

    // A stale value on the class key shows whether step 1 deleted the key.
    void replaceFlagNeedsAllBits_data()
    {
        QTest::addColumn<qint16>("replace");
        QTest::addColumn<bool>("registeredBefore");
        QTest::addColumn<bool>("staleSurvives");
        QTest::newRow("1 is not true, nothing deleted") << qint16(1) << false << true;
        QTest::newRow("0x7FFF is not true") << qint16(0x7FFF) << false << true;
        QTest::newRow("-1 deletes the bare class key") << qint16(-1) << false << false;
        QTest::newRow("-1 leaves a class key with sub-keys") << qint16(-1) << true << true;
    }

    void replaceFlagNeedsAllBits()
    {
        QFETCH(qint16, replace);
        QFETCH(bool, registeredBefore);
        QFETCH(bool, staleSurvives);
        MemoryRegistry registry;
        if (registeredBefore)
            registerKinora(registry);
        CreateKey(registry, kClassesRoot, kClass);
        SetValue(registry, kClassesRoot, kClass, QStringLiteral("Stale"), QStringLiteral("x"),
                 kRegSz);
        registerKinora(registry, replace);
        QCOMPARE(registry.dump().contains(QStringLiteral("Tessaro\\Kinora [Stale] = x")),
                 staleSurvives);
        QCOMPARE(registry.defaultValue(kClass), QStringLiteral("DVD-Info-Datei"));
    }

    void lockedRegistryIsLeftAlone()
    {
        MemoryRegistry registry;
        registerKinora(registry);
        const QStringList before = registry.dump();
        registry.setReadOnly(true);
        Verbs verbs = startVerbs();
        verbs[0].caption = QStringLiteral("Anders");
        registerKinora(registry, kReplace, verbs);
        QCOMPARE(registry.dump(), before);
        QCOMPARE(registry.openKeyCount(), 0);
    }

    void writeValueEncodesByType_data()
    {
        // clang-format off
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("string in Windows-1252 with its zero") << kRegSz << QVariant(QStringLiteral("Bär €映")) << QByteArray("B\xE4r \x80?\0", 7);
        QTest::newRow("dword little-endian") << kRegDword << QVariant(0x01020304) << QByteArray("\x04\x03\x02\x01", 4);
        QTest::newRow("binary type writes nothing") << quint32(3) << QVariant(QStringLiteral("x")) << QByteArray();
        // clang-format on
    }

    void writeValueEncodesByType()
    {
        QFETCH(quint32, type);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, stored);
        // Records what reaches the back end.
        struct Recorder : MemoryRegistry
        {
            QByteArray data;
            bool called = false;
            long setValue(Key key, const QString& name, quint32 t, const QByteArray& d) override
            {
                called = true;
                data = d;
                return MemoryRegistry::setValue(key, name, t, d);
            }
        } registry;
        Registry::Key key = 0;
        QCOMPARE(registry.createKey(kClassesRoot, QStringLiteral("K"), kKeyAccess, &key),
                 kErrorSuccess);
        QCOMPARE(WriteValue(registry, key, QString(), type, value), kErrorSuccess);
        QCOMPARE(registry.called, !stored.isNull());
        QCOMPARE(registry.data, stored);
    }

    void windowsCommandsQuoteTheProgram_data()
    {
        // clang-format off
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("command");
        QTest::newRow("edit, without .exe") << QStringLiteral("C:/Program Files/Kinora/Kinora.exe") << true << QStringLiteral("\"C:\\Program Files\\Kinora\\Kinora\" %1");
        QTest::newRow("start") << QStringLiteral("D:/Filme & Serien/100%/Kinora.v2.exe") << false << QStringLiteral("\"D:\\Filme & Serien\\100%\\Kinora.v2\"");
        // clang-format on
    }

    void windowsCommandsQuoteTheProgram()
    {
        QFETCH(QString, program);
        QFETCH(bool, withFile);
        QFETCH(QString, command);
        QCOMPARE(WindowsVerbCommand(program, withFile), command);
    }
};

QTEST_GUILESS_MAIN(TestFileTypeRegistration)
#include "tst_filetyperegistration.moc"
