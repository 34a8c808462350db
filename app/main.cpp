// zentrip: the desktop program. The main window is built on this skeleton.
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}
