// The application object of the windowing layer.
#include <QApplication>
