// The yardstick of bench_startup: a bare Qt program of the main window's
// shape (a QMainWindow with a menu bar, a two-column tree, a combo box and two
// buttons) that does nothing else. It shows its window and waits to be ended.
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("Add Sound File..."));
    file->addAction(QStringLiteral("Exit"));
    window.menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("About..."));
    auto *client = new QWidget(&window);
    auto *layout = new QVBoxLayout(client);
    auto *list = new QTreeWidget(client);
    list->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Status")});
    layout->addWidget(list);
    auto *effects = new QComboBox(client);
    effects->addItems({QStringLiteral("Robot"), QStringLiteral("Echo")});
    layout->addWidget(effects);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QPushButton(QStringLiteral("Play"), client));
    buttons->addWidget(new QPushButton(QStringLiteral("Save"), client));
    layout->addLayout(buttons);
    window.setCentralWidget(client);
    window.resize(520, 391);
    window.show();
    return QApplication::exec();
}
