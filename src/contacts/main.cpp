#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    QLabel window(QStringLiteral("Orvanta"));
    window.setWindowTitle(QStringLiteral("Orvanta"));
    window.resize(640, 400);
    window.setAlignment(Qt::AlignCenter);
    window.show();
    return app.exec();
}
