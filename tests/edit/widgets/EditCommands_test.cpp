// The main window's Add and Edit commands with the real edit dialogs, run modally.
#include "EditRig.h"

#include "app/TFMain.h"
#include "edit/widgets/TFMultiEdit.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

class EditCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void addShowsAnEmptyFormAndAddsTheRecord();
    void editWithOneRowChangesItAndReselectsIt();
    void editWithTwoRowsOpensTheMultiEdit();

private:
    void fillThree();
    void select(std::initializer_list<int> rows);
    QString cell(int row, int column) const {
        return table()->model()->index(row, column).data().toString();
    }
    QTableView* table() const { return main_->findChild<QTableView*>(QStringLiteral("ListView")); }
    QLineEdit* editField(const char* name) const {
        return edit_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    std::unique_ptr<ScriptedUserInterface> ui_;
    std::unique_ptr<TFMain> main_;
    std::unique_ptr<TFCalendar> calendar_;
    std::unique_ptr<TFEdit> edit_;
    std::unique_ptr<TFMultiEdit> multi_;
};

void EditCommandsTest::init() {
    ui_ = std::make_unique<ScriptedUserInterface>();
    main_ = std::make_unique<TFMain>(*ui_);
    calendar_ = std::make_unique<TFCalendar>();
    edit_ = std::make_unique<TFEdit>(main_->workspace(), *main_, *ui_, *calendar_, QStringList{});
    multi_ = std::make_unique<TFMultiEdit>(main_->workspace(), *main_, *calendar_, *edit_);
    main_->windows().edit = edit_.get();
    main_->windows().multiEdit = multi_.get();
}

void EditCommandsTest::cleanup() {
    multi_.reset();
    edit_.reset();
    calendar_.reset();
    main_.reset();
    ui_.reset();
}

void EditCommandsTest::fillThree() {
    for (const char* surname : {"ADAMSKI", "BORECKI", "CZAJKA"})
        main_->taxpayers().Add(Person(QString::fromLatin1(surname), QStringLiteral("JAN")));
    main_->RefreshView(ViewMode::vmTabela);
}

void EditCommandsTest::select(std::initializer_list<int> rows) {
    table()->clearSelection();
    for (const int row : rows)
        table()->selectionModel()->select(table()->model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void EditCommandsTest::addShowsAnEmptyFormAndAddsTheRecord() {
    fillThree();
    main_->taxpayers().SelectByIndex(1);
    QString surnameAtOpening = QStringLiteral("not opened");
    QTimer::singleShot(0, [&] {
        surnameAtOpening = editField("eNazwisko")->text();
        editField("eNazwisko")->insert(QStringLiteral("BANAŚ"));
        editField("eImie")->insert(QStringLiteral("EWA"));
        edit_->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    main_->Add();
    QCOMPARE(surnameAtOpening, QString());
    QCOMPARE(main_->taxpayers().count(), 4);
    QCOMPARE(cell(1, 0), QStringLiteral("BANAŚ"));  // re-sorted and redisplayed
    QVERIFY(!main_->workspace().taxpayersSaved);
}

void EditCommandsTest::editWithOneRowChangesItAndReselectsIt() {
    fillThree();
    select({2});
    QTimer::singleShot(0, [&] {
        editField("eUlica")->insert(QStringLiteral("DŁUGA"));
        edit_->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    main_->Edit();
    QCOMPARE(main_->taxpayers().at(2).ulica, Cp(QStringLiteral("DŁUGA")));
    QCOMPARE(main_->taxpayers().at(2).nazwisko, std::string_view("CZAJKA"));
    QCOMPARE(main_->selectedRows(), std::vector<int>{2});
}

void EditCommandsTest::editWithTwoRowsOpensTheMultiEdit() {
    fillThree();
    select({0, 2});
    bool editShown = false;
    QTimer::singleShot(0, [&] {
        editShown = edit_->isVisible();
        multi_->findChild<QLineEdit*>(QStringLiteral("ePoczta"))->insert(QStringLiteral("GLIWICE"));
        multi_->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    });
    main_->Edit();
    QVERIFY(!editShown);
    QCOMPARE(main_->taxpayers().at(0).poczta, std::string_view("GLIWICE"));
    QVERIFY(main_->taxpayers().at(1).poczta.empty());
    QCOMPARE(main_->taxpayers().at(2).poczta, std::string_view("GLIWICE"));
}

QTEST_MAIN(EditCommandsTest)
#include "EditCommands_test.moc"
