#include "app/Application.h"
#include "app/Mainform.h"
#include "app/Startup.h"

int main(int argc, char** argv)
{
    Application app(argc, argv);
    const std::unique_ptr<TBEForm> BEForm = StartByteloom();
    BEForm->show();
    return Application::exec();
}
