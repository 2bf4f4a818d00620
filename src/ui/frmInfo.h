#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmInfo;
}

namespace kinora {

// The info dialog: maker, product, version and credits.
class frmInfo : public QDialog
{
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);
    ~frmInfo() override;

private:
    std::unique_ptr<Ui::frmInfo> ui;
};

} // namespace kinora
