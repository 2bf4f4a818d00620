#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmSplash;
}

namespace kinora {

// The borderless window shown while the program starts.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    ~frmSplash() override;

    // Shows the splash centred on the screen.
    void showCentred();

private:
    std::unique_ptr<Ui::frmSplash> ui;
};

} // namespace kinora
