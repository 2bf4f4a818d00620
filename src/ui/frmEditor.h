#pragma once

#include "store/FilmRecord.h"
#include "store/SideFile.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QTabBar;

namespace Ui {
class frmEditor;
}

namespace kinora {

// The record editor: one control per field of a film record except FilePath, and, once
// setOwnData() was called, a second page "Eigene Daten" with the collector's own fields
// (the tabs beside the buttons switch pages; the record's controls keep their places).
class frmEditor : public QDialog
{
    Q_OBJECT
public:
    explicit frmEditor(QWidget* parent = nullptr);
    ~frmEditor() override;

    // True unless "&OK" closed the dialog: "A&bbrechen", Esc and the close box all cancel.
    bool Canceled = false;

    void setRecord(const FilmRecord& record);
    // The record as the controls show it; a control that still shows what it was filled
    // with keeps its field exactly as it came.
    FilmRecord record() const;
    void setOwnData(const OwnData& own);
    // The own fields as the second page shows them (the exact texts as set); an untouched
    // loan keeps its date as it came.
    OwnData ownData() const;

public slots:
    void Command8_Click();
    void Command9_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildOwnPage();
    void showPage(int page);

    std::unique_ptr<Ui::frmEditor> ui;
    FilmRecord m_record;
    OwnData m_own;
    QList<QWidget*> m_recordPage; // the record's controls and their labels
    QWidget* m_ownPage = nullptr;
    QTabBar* m_pages = nullptr;
    QComboBox* m_note = nullptr;
    QCheckBox* m_seen = nullptr;
    QDateEdit* m_seenDate = nullptr;
    QLineEdit* m_lentTo = nullptr;
    QDateEdit* m_lentSince = nullptr;
    QComboBox* m_medium = nullptr;
    QPlainTextEdit* m_notes = nullptr;
};

} // namespace kinora
