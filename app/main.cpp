#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Byteloom 2.0");
    QMainWindow window;
    window.setWindowTitle("Byteloom 2.0");
    window.show();
    return app.exec();
}
