#include "app/Application.h"

int main(int argc, char** argv)
{
    verdane::Application application;
    return application.run(argc, argv);
}
