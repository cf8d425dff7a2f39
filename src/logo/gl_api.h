#pragma once
// OpenGL 1.1 and GLU without the rest of the Windows headers: on Windows the GL headers need only
// the calling-convention macros, which keeps the drawing code free of the platform.
#if defined(_WIN32) && !(defined(WINGDIAPI) && defined(APIENTRY))
#define WINGDIAPI __declspec(dllimport)
#define APIENTRY __stdcall
#ifndef CALLBACK
#define CALLBACK __stdcall
#define ZOVI_DEFINED_CALLBACK
#endif
#define ZOVI_DEFINED_GL_MACROS
#endif
#include <GL/gl.h>
#include <GL/glu.h>
#ifdef ZOVI_DEFINED_GL_MACROS
#undef WINGDIAPI
#undef APIENTRY
#undef ZOVI_DEFINED_GL_MACROS
#endif
#ifdef ZOVI_DEFINED_CALLBACK
#undef CALLBACK
#undef ZOVI_DEFINED_CALLBACK
#endif
