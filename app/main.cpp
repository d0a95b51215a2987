#include "app/ApplicationMain.h"
#include "platform/ProcessEnd.h"

int main(int argc, char *argv[])
{
    Platform::EndProcess(RunApplication(argc, argv));
}
