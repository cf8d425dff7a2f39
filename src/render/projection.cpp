#include "render/projection.h"

#include "logo/gl_api.h"

void setUpProjection(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50.0, static_cast<double>(width) / height, 1.0, 30.0);
    glMatrixMode(GL_MODELVIEW);
}
