// The form controller against the fake forms program: its defaults and setter rules, what it
// sends for each operation, the show retry and what it reads back.

#include "forms/TSterFormVEL.h"
#include "support/FakeFormsProgram.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class FormController : public ::testing::Test {
protected:
    void SetUp() override {
        lform::LinkShutdown();
        lform::setWindowSystem(&forms);
        forms.formState = 0;
    }
    void TearDown() override {
        controller.reset();
        lform::LinkShutdown();
        lform::setWindowSystem(nullptr);
    }

    TSterFormVEL& make() {
        controller = std::make_unique<TSterFormVEL>();
        return *controller;
    }
    // The controller made active with Symbol "PIT40_14", its requests so far forgotten.
    TSterFormVEL& active() {
        TSterFormVEL& vel = make();
        vel.SetSymbol("PIT40_14");
        vel.SetActive(true);
        EXPECT_TRUE(vel.GetActive());
        forms.requests.clear();
        return vel;
    }
    const FakeRequest& last(int code) const {
        for (auto it = forms.requests.rbegin(); it != forms.requests.rend(); ++it)
            if (it->code == code) return *it;
        static const FakeRequest none;
        ADD_FAILURE() << "no request " << code;
        return none;
    }

    FakeFormsProgram forms;
    std::unique_ptr<TSterFormVEL> controller;
};

using Codes = std::vector<int>;

}  // namespace

TEST_F(FormController, StartsWithItsDefaultsAndInactive) {
    const TSterFormVEL& vel = make();
    EXPECT_TRUE(vel.AutoFormat());
    EXPECT_TRUE(vel.Calculate());
    EXPECT_TRUE(vel.Convert);
    EXPECT_FALSE(vel.GetActive());
    EXPECT_FALSE(vel.ReadOnly || vel.SaveQuery || vel.HideSave || vel.SilentPrint);
    EXPECT_EQ(vel.ErrorLevel, 0);
    EXPECT_EQ(vel.PrinterIndex, 0);
    EXPECT_TRUE(vel.SerwerPath.isEmpty() && vel.Symbol().isEmpty() && vel.GetIdentyfikator().isEmpty() &&
                vel.Caption().isEmpty());
    EXPECT_TRUE(vel.Fields().isEmpty() && vel.ErrorList().isEmpty() && vel.TaxScale().isEmpty());
    EXPECT_EQ(vel.printFrom(), 0);
    EXPECT_TRUE(forms.requests.empty());
    // The published properties are there by name, as a layout would set them.
    EXPECT_EQ(vel.property("AutoFormat").toBool(), true);
    EXPECT_EQ(vel.property("Active").toBool(), false);
}

TEST_F(FormController, AutoFormatIsOnWheneverCalculateIs) {
    struct Step {
        bool setCalculate;  // else AutoFormat
        bool value;
        bool autoFormat, calculate;
    };
    const Step steps[] = {
        {false, false, false, false},  // AutoFormat off takes Calculate with it
        {true, true, true, true},      // Calculate on brings AutoFormat back
        {true, false, true, false},    // Calculate off leaves AutoFormat
        {false, true, true, false},    // AutoFormat on leaves Calculate
        {false, false, false, false},
        {true, false, false, false},
    };
    TSterFormVEL& vel = make();
    for (const Step& step : steps) {
        if (step.setCalculate) vel.SetCalculate(step.value);
        else vel.SetAutoFormat(step.value);
        EXPECT_EQ(vel.AutoFormat(), step.autoFormat);
        EXPECT_EQ(vel.Calculate(), step.calculate);
    }
}

TEST_F(FormController, CutsSymbolIdentifierAndCaption) {
    TSterFormVEL& vel = make();
    vel.SetSymbol(QByteArray(25, 'S'));
    vel.SetIdentyfikator(QByteArray(60, 'I'));
    vel.SetCaption(QByteArray(300, 'C'));
    EXPECT_EQ(vel.Symbol(), QByteArray(20, 'S'));
    EXPECT_EQ(vel.GetIdentyfikator(), QByteArray(50, 'I'));
    EXPECT_EQ(vel.Caption(), QByteArray(250, 'C'));
    vel.setProperty("Symbol", QByteArray(30, 'T'));
    EXPECT_EQ(vel.Symbol(), QByteArray(20, 'T'));
}

TEST_F(FormController, CreatesTheFormUnderSymbolAndTheProgramsIdentifier) {
    TSterFormVEL& vel = make();
    vel.SetSymbol("PIT40_13");
    const QByteArray program = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLatin1();
    const QByteArray expected = ("PIT40_13_" + program).left(50);
    EXPECT_EQ(vel.GetIdentyfikator(), expected);
    vel.SetActive(true);
    ASSERT_EQ(forms.codes(), Codes{1});
    EXPECT_EQ(forms.requests[0].lines, (QList<QByteArray>{"PIT40_13", expected, "3"}));
    EXPECT_EQ(vel.formId(), 1);

    vel.SetSymbol("PIT40_14");  // the form that exists stays
    vel.SetActive(true);
    EXPECT_EQ(forms.codes(), Codes{1});
    vel.SetIdentyfikator("MOJ");
    EXPECT_EQ(vel.GetIdentyfikator(), "MOJ");
}

TEST_F(FormController, StaysInactiveWhenTheFormsProgramIsMissingOrRefuses) {
    forms.running = false;
    forms.appearsOnStart = false;
    TSterFormVEL& vel = make();
    vel.SetSymbol("PIT40_14");
    vel.SetActive(true);
    EXPECT_FALSE(vel.GetActive());
    forms.running = true;
    forms.nextFormId = 0;
    vel.SetActive(true);
    EXPECT_FALSE(vel.GetActive());
    EXPECT_EQ(forms.codes(), Codes{1});
}

TEST_F(FormController, DestroyRefusedKeepsTheFormAndTheDestructorDestroysIt) {
    TSterFormVEL& vel = active();
    forms.destroyReply = 1;
    vel.SetActive(false);
    EXPECT_TRUE(vel.GetActive());
    forms.destroyReply = 0;
    controller.reset();
    EXPECT_EQ(forms.codes(), (Codes{2, 2}));
    EXPECT_EQ(forms.requests[1].lParam, 1);
}

TEST_F(FormController, SendsWhatChangedOrEverythingWhenForced) {
    struct Case {
        const char* name;
        std::function<void(TSterFormVEL&)> prepare;
        bool force;
        Codes codes;
        int fieldOptions;  // options of the code 5 request; -1 when none is expected
        QByteArray fieldText;
    };
    const Case cases[] = {
        {"nothing changed", {}, false, {}, -1, {}},
        {"fields changed", [](TSterFormVEL& v) { v.SetFields({"p1=A", "p2="}); }, false, {5, 10}, 3, "p1=A\r\np2=\r\n"},
        {"forced with empty lists: no tax scale, an empty field list", {}, true, {5, 10}, 3, ""},
        {"tax scale changed", [](TSterFormVEL& v) { v.SetTaxScale({"0;1"}); }, false, {9}, -1, {}},
        {"forced sends both", [](TSterFormVEL& v) { v.SetTaxScale({"0;1"}); }, true, {9, 5, 10}, 3, ""},
        {"error level 1", [](TSterFormVEL& v) { v.ErrorLevel = 1; v.SetFields({"p1=A"}); }, false, {5, 10}, 7, "p1=A\r\n"},
        {"error level 2 adds nothing", [](TSterFormVEL& v) { v.ErrorLevel = 2; }, true, {5, 10}, 3, ""},
        {"auto format only", [](TSterFormVEL& v) { v.SetCalculate(false); }, true, {5, 10}, 1, ""},
        {"no options", [](TSterFormVEL& v) { v.SetAutoFormat(false); }, true, {5, 10}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSterFormVEL& vel = active();
        if (c.prepare) c.prepare(vel);
        vel.SendData(c.force);
        EXPECT_EQ(forms.codes(), c.codes);
        if (c.fieldOptions >= 0) {
            EXPECT_EQ(last(5).options, c.fieldOptions);
            EXPECT_EQ(last(5).text, c.fieldText);
            EXPECT_EQ(last(5).low(), vel.formId());
        }
        if (std::find(c.codes.begin(), c.codes.end(), 9) != c.codes.end()) {
            EXPECT_EQ(last(9).text, "0;1\r\n");
        }
        forms.requests.clear();
        vel.SendData(false);  // sent: nothing is pending any more
        EXPECT_TRUE(forms.requests.empty());
        EXPECT_EQ(forms.atoms(), 0);
    }
}

// A transfer fails when no forms window is known, when the atom table cannot hold the chain and
// when the forms program refuses the text: the controller raises, shows nothing, leaves no atom
// behind and keeps the part pending.
TEST_F(FormController, AFailedTransferRaisesShowsNothingAndStaysPending) {
    const QByteArray longLine = "p19=" + QByteArray(600, 'N');  // three pieces
    struct Case {
        const char* failure;
        std::function<void(TSterFormVEL&)> change;
        QString message;
    };
    const QString fieldsFailed = QStringLiteral("Błąd transmisji danych do formularza.");
    const QString scaleFailed = QStringLiteral("Błąd transmisji skali podatkowej do formularza.");
    const auto fields = [&](TSterFormVEL& v) { v.SetFields({"p1=A", longLine}); };
    const auto scale = [&](TSterFormVEL& v) { v.SetTaxScale({"0;1", longLine}); };
    const Case cases[] = {
        {"no window", fields, fieldsFailed}, {"no window", scale, scaleFailed},
        {"table full", fields, fieldsFailed}, {"table full", scale, scaleFailed},
        {"refused", fields, fieldsFailed}, {"refused", scale, scaleFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        TSterFormVEL& vel = active();
        const std::string failure = c.failure;
        if (failure == "no window") {
            lform::LinkShutdown();  // the link knows no forms window any more; the controller keeps its form
            lform::setWindowSystem(&forms);
        } else if (failure == "table full") {
            forms.atomsLeft = 2;
        } else {
            forms.fieldsAccepted = 0;
            forms.replies[9] = 0;
        }
        c.change(vel);
        for (int attempt = 0; attempt < 2; ++attempt) {  // still pending after the failure
            try {
                vel.Show();
                ADD_FAILURE() << "no error raised";
            } catch (const ESterFormVEL& error) {
                EXPECT_EQ(error.message(), c.message);
            }
        }
        const Codes codes = forms.codes();
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 3), 0);  // nothing shown
        EXPECT_EQ(forms.atoms(), 0);
        forms.atomsLeft = -1;
        forms.fieldsAccepted = 1;
        forms.replies.clear();
    }
}

TEST_F(FormController, InactiveSendsNothingAndPrintingRaises) {
    TSterFormVEL& vel = make();
    vel.SetFields({"p1=A"});
    vel.SendData(true);
    vel.ReadData();
    for (const auto& print : {std::function<void()>([&] { vel.PrintDialog(); }), std::function<void()>([&] { vel.Print(); })}) {
        try {
            print();
            ADD_FAILURE() << "no error raised";
        } catch (const ESterFormVEL& error) {
            EXPECT_EQ(error.message(), QStringLiteral("Operacja nie jest możliwa jeśli formularz nie jest aktywny"));
        }
    }
    EXPECT_TRUE(forms.requests.empty());
}

TEST_F(FormController, ShowSendsTheFieldsShowsAndReadsBack) {
    TSterFormVEL& vel = make();
    vel.setParentWindow(0x1234);
    vel.SetSymbol("PIT40_14");
    vel.SetCaption("Podgl\xB9" "d");
    vel.ReadOnly = true;
    vel.HideSave = true;
    vel.SetFields({"p1=A"});
    forms.fieldsReply = "p1=A\r\np2=0,00\r\n";
    forms.errorsReply = "Pole p2: brak\r\n";
    EXPECT_NE(vel.Show(), 0);
    EXPECT_EQ(forms.codes(), (Codes{1, 5, 10, 3, 10, 11, 6, 17}));
    EXPECT_EQ(last(3).lines, (QList<QByteArray>{"Podgl\xB9" "d", "4660", "80"}));
    EXPECT_EQ(last(6).options, 1);  // converted
    EXPECT_EQ(vel.Fields(), (QByteArrayList{"p1=A", "p2=0,00"}));
    EXPECT_EQ(vel.ErrorList(), (QByteArrayList{"Pole p2: brak"}));
    EXPECT_EQ(vel.printFrom(), 2);  // the range the forms program returned after the show
    EXPECT_EQ(vel.printTo(), 3);
    EXPECT_TRUE(forms.windowCalls.contains(QStringLiteral("disable 4660")));

    // An empty reply leaves the fields and clears the errors; unconverted read-back asks so.
    forms.requests.clear();
    forms.fieldsReply.clear();
    forms.errorsReply.clear();
    vel.Convert = false;
    vel.SaveQuery = true;
    vel.HideSave = false;
    vel.ReadOnly = false;
    vel.Show();
    EXPECT_EQ(forms.codes(), (Codes{3, 10, 11, 6, 17}));
    EXPECT_EQ(last(3).lines.value(2), "128");
    EXPECT_EQ(last(6).options, 0);
    EXPECT_EQ(vel.Fields(), (QByteArrayList{"p1=A", "p2=0,00"}));
    EXPECT_TRUE(vel.ErrorList().isEmpty());
    EXPECT_EQ(forms.atoms(), 0);
}

TEST_F(FormController, ShowRetriesOnceWithAFreshForm) {
    forms.showRefused = true;
    TSterFormVEL& vel = make();
    vel.SetSymbol("PIT40_14");
    EXPECT_EQ(vel.Show(), 0);  // no error: the show could not be done
    EXPECT_EQ(forms.codes(), (Codes{1, 3, 2, 1, 5, 10, 3, 6, 17}));
    EXPECT_EQ(forms.requests[6].low(), 2);  // the second show is of the new form
    EXPECT_EQ(vel.formId(), 2);
}

// The forms program dies after the form was made and filled: the retry starts it again and the
// new form gets the tax scale and the field list before it is shown.
TEST_F(FormController, ShowAfterTheFormsProgramDiedFillsTheFreshForm) {
    forms.profile["formularze/katalog"] = "/opt/formularze";
    TSterFormVEL& vel = make();
    vel.SetSymbol("PIT40_14");
    vel.SetTaxScale({"0;3091;19"});
    vel.SetFields({"p19=NOWAK", "p20=ANNA"});
    vel.SetActive(true);
    vel.SendData(false);
    forms.die();
    forms.requests.clear();
    vel.Show();
    ASSERT_EQ(forms.startedCommands, QStringList{"/opt/formularze/formvel /SERWER"});
    EXPECT_EQ(forms.codes(), (Codes{1, 9, 5, 10, 3, 10, 11, 6, 17}));
    EXPECT_EQ(forms.requests[1].text, "0;3091;19\r\n");
    EXPECT_EQ(forms.requests[2].text, "p19=NOWAK\r\np20=ANNA\r\n");
    EXPECT_EQ(forms.requests[2].low(), 2);
    EXPECT_EQ(forms.requests[4].low(), 2);
    EXPECT_EQ(vel.Fields(), (QByteArrayList{"p19=NOWAK", "p20=ANNA"}));  // the empty reply changes nothing
}

TEST_F(FormController, ShowResendsTheFormsOwnValuesWhenTheFormAsksForIt) {
    forms.formState = 1;
    forms.fieldsReply = "p1=A\r\np5=1 000,00\r\n";
    TSterFormVEL& vel = make();
    vel.SetSymbol("PIT40_14");
    vel.SetFields({"p1=A", "p5=1000"});
    vel.Show();
    const Codes expected{1, 5, 10, /*resend:*/ 6, 17, 5, 10, /*show:*/ 3, 10, 11, 6, 17};
    ASSERT_EQ(forms.codes(), expected);
    EXPECT_EQ(forms.requests[3].options, 0);  // read back unconverted
    EXPECT_EQ(forms.requests[5].options, 0);  // and sent back with no formatting or calculation
    EXPECT_EQ(forms.requests[5].text, "p1=A\r\np5=1 000,00\r\n");
    EXPECT_TRUE(vel.AutoFormat() && vel.Calculate() && vel.Convert);
}

TEST_F(FormController, PrintDialogKeepsTheChosenRangeForLaterPrints) {
    TSterFormVEL& vel = active();
    vel.setParentWindow(0x1234);
    vel.SetCaption("PIT");
    vel.SilentPrint = true;
    vel.PrinterIndex = 3;
    EXPECT_TRUE(vel.PrintDialog());
    EXPECT_EQ(last(13).lines, (QList<QByteArray>{"4660", "", "", "PIT"}));
    EXPECT_EQ(vel.printFrom(), 2);
    EXPECT_EQ(vel.printTo(), 3);
    EXPECT_TRUE(vel.Print());
    EXPECT_EQ(last(8).lines, (QList<QByteArray>{"4660", "2", "3", "PIT", "1", "3"}));
    EXPECT_EQ(vel.FinishDocument(), true);
    EXPECT_EQ(last(15).lParam, 1);

    forms.printDialogOpened = 0;  // not confirmed: the range stays
    forms.printRange = makeLong(7, 9);
    EXPECT_FALSE(vel.PrintDialog());
    EXPECT_EQ(vel.printFrom(), 2);
}

TEST_F(FormController, RefusesAReplyLongerThanItsBuffer) {
    TSterFormVEL& vel = active();
    vel.SetFields({"p1=A"});
    vel.SendData(false);
    forms.fieldsReply = "p1=" + QByteArray(TSterFormVEL::kReadBackCapacity, 'x') + "\r\n";
    forms.errorsReply = "E\r\n";
    vel.ReadData();
    EXPECT_EQ(vel.Fields(), QByteArrayList{"p1=A"});
    EXPECT_EQ(vel.ErrorList(), QByteArrayList{"E"});
    forms.fieldsReply = QByteArray(TSterFormVEL::kReadBackCapacity - 2, 'y') + "\r\n";  // exactly fits
    vel.ReadData();
    EXPECT_EQ(vel.Fields().value(0).size(), TSterFormVEL::kReadBackCapacity - 2);
}

