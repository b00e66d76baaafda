#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Varnisto"));
    QCoreApplication::setApplicationName(QStringLiteral("Varnisto"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNISTO_VERSION));
    // Varnisto lives in the background: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}
