#pragma once

#include "store/FilmRecord.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmEditor;
}

namespace kinora {

// The record editor: one control per field of a film record except FilePath.
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

public slots:
    void Command8_Click();
    void Command9_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::frmEditor> ui;
    FilmRecord m_record;
};

} // namespace kinora
