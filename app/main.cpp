#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int result;
    {
        MainWindow window;
        window.show();
        result = app.exec();
    }
    return result;
}
