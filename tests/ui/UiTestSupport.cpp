#include "UiTestSupport.h"

#include "TestSupport.h"

#include "ui/MessageBox.h"

#include "store/InfoFile.h"

#include <QImage>

namespace kinora::test {

QString storeFilm(const QString& home, const QString& name, FilmRecord film, const QColor& cover)
{
    const QString folder = home + QStringLiteral("/Data/") + name;
    makePath(folder);
    const QString path = folder + u'/' + name + QStringLiteral(".knr");
    film.FilePath.clear();
    if (!WriteInfoFile(path, film))
        return {};
    if (cover.isValid())
        writeJpeg(folder + u'/' + name + QStringLiteral(".jpg"), cover);
    return path;
}

bool writeJpeg(const QString& path, const QColor& colour)
{
    QImage image(30, 40, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "JPEG");
}

void onModalDialog(std::function<void(QDialog*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

MessageRecorder::MessageRecorder()
{
    MessageBox::setTestAnswer(
        [this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
            texts.append(text);
            return QMessageBox::Ok;
        });
}

MessageRecorder::~MessageRecorder()
{
    MessageBox::setTestAnswer({});
}

} // namespace kinora::test
