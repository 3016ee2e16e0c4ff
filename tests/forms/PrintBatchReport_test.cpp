// What the print dialog says about a batch: the count with "dokument" in the genitive the
// sentence needs, and the reason a batch stopped.

#include "forms/PrintBatchReport.h"

#include <gtest/gtest.h>

TEST(PrintBatchReport, CaptionAndCountTakeTheGenitive) {
    struct Case {
        int count;
        const char* caption;
        const char* summary;
    };
    const Case cases[] = {
        {1, "Drukowanie 1 dokumentu..", "Wydrukowano 1 z 1 dokumentu."},
        {2, "Drukowanie 2 dokumentów..", "Wydrukowano 2 z 2 dokumentów."},
        {4, "Drukowanie 4 dokumentów..", "Wydrukowano 4 z 4 dokumentów."},
        {5, "Drukowanie 5 dokumentów..", "Wydrukowano 5 z 5 dokumentów."},
        {12, "Drukowanie 12 dokumentów..", "Wydrukowano 12 z 12 dokumentów."},
        {21, "Drukowanie 21 dokumentów..", "Wydrukowano 21 z 21 dokumentów."},
        {101, "Drukowanie 101 dokumentów..", "Wydrukowano 101 z 101 dokumentów."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(PrintBatchCaption(c.count), QString::fromUtf8(c.caption));
        PrintBatchEnd end;
        end.printed = end.total = c.count;
        EXPECT_EQ(PrintBatchSummary(end), QString::fromUtf8(c.summary));
        EXPECT_FALSE(end.isError());
    }
}

TEST(PrintBatchReport, AStoppedBatchSaysWhyAndWhere) {
    using Reason = PrintBatchEnd::Reason;
    struct Case {
        Reason reason;
        int printed;
        bool error;
        const char* text;
    };
    const Case cases[] = {
        {Reason::StoppedByUser, 3, false, "Wydrukowano 3 z 7 dokumentów.\nDrukowanie przerwano na żądanie użytkownika."},
        {Reason::DialogNotConfirmed, 0, false,
         "Wydrukowano 0 z 7 dokumentów.\nNie potwierdzono okna drukowania programu formularzy."},
        {Reason::DocumentNotPrinted, 3, true,
         "Wydrukowano 3 z 7 dokumentów.\nProgram formularzy nie wydrukował dokumentu 4 (NOWAK ANNA), więc drukowanie przerwano."},
        {Reason::Failed, 3, true,
         "Wydrukowano 3 z 7 dokumentów.\nDrukowanie przerwano przy dokumencie 4 (NOWAK ANNA): Błąd transmisji danych do "
         "formularza."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PrintBatchEnd end;
        end.reason = c.reason;
        end.printed = c.printed;
        end.total = 7;
        end.stoppedAt = 4;
        end.stoppedName = QStringLiteral("NOWAK ANNA");
        end.failure = QStringLiteral("Błąd transmisji danych do formularza.");
        EXPECT_EQ(PrintBatchSummary(end), QString::fromUtf8(c.text));
        EXPECT_EQ(end.isError(), c.error);
    }
}
