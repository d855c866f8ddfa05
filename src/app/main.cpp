// Program entry: parses the command line and starts the editor or a headless command.
#include "app/CommandLine.h"

#include <QApplication>

int main(int argc, char** argv)
{
    return runEditor(argc, argv);
}
