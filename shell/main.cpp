// Entry point of the desktop application.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Morvane - Quillon");
    window.resize(546, 407);
    window.show();
    return QApplication::exec();
}
