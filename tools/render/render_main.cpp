// lumiscene-render: see render_run.h and the README.
#include "tools/render/render_run.h"

int main(int argc, char** argv) { return lumiscene::runRenderTool(argc, argv); }
