// rigwright_floor PRESENT_LOG: what any program on the viewer's stack must do before it shows
// anything, and nothing more. It opens the viewer's 800 x 600 SDL window with the same OpenGL
// context (3.3 core, 24-bit depth, 8-bit stencil, double-buffered), draws one triangle with one
// shader program, presents it, writes "first_present_ns" (wall-clock nanoseconds) to PRESENT_LOG,
// as the probed viewer does, and exits. The measuring scripts time the viewer's start-up against
// it in the same run: the difference is what the engine and the viewer add.

#include <SDL.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdio>
#include <fstream>

namespace
{

const char* const kVertexSource = R"(#version 330 core
layout(location = 0) in vec2 position;
void main() { gl_Position = vec4(position, 0.0, 1.0); }
)";

const char* const kPixelSource = R"(#version 330 core
out vec4 color;
void main() { color = vec4(1.0, 0.6, 0.15, 1.0); }
)";

GLuint Compile(GLenum stage, const char* source)
{
    const GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

GLuint LinkProgram()
{
    const GLuint program = glCreateProgram();
    glAttachShader(program, Compile(GL_VERTEX_SHADER, kVertexSource));
    glAttachShader(program, Compile(GL_FRAGMENT_SHADER, kPixelSource));
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked == GL_TRUE ? program : 0;
}

void DrawTriangle(GLuint program)
{
    const float corners[] = {-0.5f, -0.5f, 0.5f, -0.5f, 0.0f, 0.5f};
    GLuint vertexArray = 0, buffer = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glViewport(0, 0, 800, 600);
    glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
    glDrawArrays(GL_TRIANGLES, 0, 3);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: rigwright_floor PRESENT_LOG\n");
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("Tesserant Game Engine v1.0", 0, 0, 800, 600, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    const GLuint program = context ? LinkProgram() : 0;
    if (!program)
        return 1;
    DrawTriangle(program);
    // Taken when the swap returns, as the viewer's probe takes its first frame.
    SDL_GL_SwapWindow(window);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::ofstream(argv[1]) << "first_present_ns " << std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()
                           << "\n";
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
