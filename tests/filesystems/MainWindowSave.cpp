// "Zapisz jako" of the main window onto the folder FISKON_SAVE_FOLDER names, a mounted disk of
// tools/test-filesystems, over an earlier register. Whatever the disk's folder sync answers, no data
// are lost: the save succeeds, or the earlier file is byte for byte what it was, or the new file is
// whole and the message says that its flush to the disk could not be confirmed. Prints which.

#include "app/TFMain.h"
#include "store/Cp1250.h"
#include "store/TaxpayerDataFile.h"
#include "support/ScriptedUserInterface.h"

#include <QFile>
#include <QtTest>

#include <memory>

namespace {

TaxpayerRecord person(const char* nazwisko, const char* imie, const char* pesel, const char* amount) {
    TaxpayerRecord record;
    record.nazwisko = cp1250::fromUnicode(QString::fromUtf8(nazwisko));
    record.imie1 = cp1250::fromUnicode(QString::fromUtf8(imie));
    record.pesel = pesel;
    record.p11Box(34) = amount;
    return record;
}

QByteArray bytesOf(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(brak pliku)");
}

}  // namespace

class MainWindowSave : public QObject {
    Q_OBJECT

private slots:
    void saveOverAnEarlierRegisterLosesNothing() {
        const QString folder = qEnvironmentVariable("FISKON_SAVE_FOLDER");
        if (folder.isEmpty()) QSKIP("FISKON_SAVE_FOLDER names no mounted disk");
        const QString target = folder + QStringLiteral("/podatnicy.txt");
        const QByteArray earlier = "[s1]\r\nnazwisko=WCZESNIEJSZY\r\nimie1=JAN\r\n\r\n[Parametry]\r\nLiczbaRekordow=1\r\n\r\n";
        {
            // Made anew: fusefat cannot write over a file in place (the writer never does).
            QFile::remove(target);
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::NewOnly));
            file.write(earlier);
        }

        ScriptedUserInterface ui;
        TFMain main(ui);
        for (const TaxpayerRecord& record :
             {person("ŻEGOTA", "Łucja", "85021412345", "41234,56"), person("ABRAMOWICZ", "Olaf", "90111154321", "3,07")})
            QVERIFY(main.taxpayers().Add(record));
        main.RefreshView(ViewMode::vmTabela);
        main.workspace().taxpayersSaved = false;
        const QByteArray saved = QByteArray::fromStdString(TaxpayerFileText(main.taxpayers()));
        ui.fileNames.push_back(target);
        main.SaveAs();

        const QByteArray now = bytesOf(target);
        if (ui.count(UiCall::Message) == 0) {
            QCOMPARE(now, saved);
            QVERIFY(main.workspace().taxpayersSaved);
            qInfo("Zapisz: zapisano");
            return;
        }
        const QString message = ui.last().text;
        qInfo("Zapisz: %s", qUtf8Printable(message));
        QVERIFY(!main.workspace().taxpayersSaved);
        if (message.contains(QStringLiteral("zawiera już nowe dane")))
            QCOMPARE(now, saved);
        else
            QCOMPARE(now, earlier);
    }
};

QTEST_MAIN(MainWindowSave)
#include "MainWindowSave.moc"
