#include "app/CVerdaneApp.h"

int main(int argc, char** argv)
{
    verdane::CVerdaneApp application;
    return application.run(argc, argv);
}
