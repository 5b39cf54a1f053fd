// The engine's key codes are DirectInput's DIK_ numbers, so the keyboard state DirectInput fills
// is indexed as the input engine expects. Each name is expanded twice: before <dinput.h> as the
// engine's constant, after it as DirectInput's macro of the same name.

#define TESS_EACH_KEY(X) \
    X(DIK_ESCAPE) X(DIK_1) X(DIK_2) X(DIK_3) X(DIK_4) X(DIK_5) X(DIK_6) X(DIK_7) X(DIK_8) \
    X(DIK_9) X(DIK_0) X(DIK_MINUS) X(DIK_EQUALS) X(DIK_BACK) X(DIK_TAB) X(DIK_Q) X(DIK_W) \
    X(DIK_E) X(DIK_R) X(DIK_T) X(DIK_Y) X(DIK_U) X(DIK_I) X(DIK_O) X(DIK_P) X(DIK_LBRACKET) \
    X(DIK_RBRACKET) X(DIK_RETURN) X(DIK_LCONTROL) X(DIK_A) X(DIK_S) X(DIK_D) X(DIK_F) X(DIK_G) \
    X(DIK_H) X(DIK_J) X(DIK_K) X(DIK_L) X(DIK_SEMICOLON) X(DIK_APOSTROPHE) X(DIK_GRAVE) \
    X(DIK_LSHIFT) X(DIK_BACKSLASH) X(DIK_Z) X(DIK_X) X(DIK_C) X(DIK_V) X(DIK_B) X(DIK_N) \
    X(DIK_M) X(DIK_COMMA) X(DIK_PERIOD) X(DIK_SLASH) X(DIK_RSHIFT) X(DIK_MULTIPLY) X(DIK_LMENU) \
    X(DIK_SPACE) X(DIK_CAPITAL) X(DIK_F1) X(DIK_F2) X(DIK_F3) X(DIK_F4) X(DIK_F5) X(DIK_F6) \
    X(DIK_F7) X(DIK_F8) X(DIK_F9) X(DIK_F10) X(DIK_NUMLOCK) X(DIK_SCROLL) X(DIK_NUMPAD7) \
    X(DIK_NUMPAD8) X(DIK_NUMPAD9) X(DIK_SUBTRACT) X(DIK_NUMPAD4) X(DIK_NUMPAD5) X(DIK_NUMPAD6) \
    X(DIK_ADD) X(DIK_NUMPAD1) X(DIK_NUMPAD2) X(DIK_NUMPAD3) X(DIK_NUMPAD0) X(DIK_DECIMAL) \
    X(DIK_OEM_102) X(DIK_F11) X(DIK_F12) X(DIK_F13) X(DIK_F14) X(DIK_F15) X(DIK_KANA) \
    X(DIK_ABNT_C1) X(DIK_CONVERT) X(DIK_NOCONVERT) X(DIK_YEN) X(DIK_ABNT_C2) X(DIK_NUMPADEQUALS) \
    X(DIK_PREVTRACK) X(DIK_AT) X(DIK_COLON) X(DIK_UNDERLINE) X(DIK_KANJI) X(DIK_STOP) \
    X(DIK_NEXTTRACK) X(DIK_NUMPADENTER) X(DIK_RCONTROL) X(DIK_MUTE) X(DIK_CALCULATOR) \
    X(DIK_PLAYPAUSE) X(DIK_MEDIASTOP) X(DIK_VOLUMEDOWN) X(DIK_VOLUMEUP) X(DIK_WEBHOME) \
    X(DIK_NUMPADCOMMA) X(DIK_DIVIDE) X(DIK_SYSRQ) X(DIK_RMENU) X(DIK_PAUSE) X(DIK_HOME) \
    X(DIK_UP) X(DIK_PRIOR) X(DIK_LEFT) X(DIK_RIGHT) X(DIK_END) X(DIK_DOWN) X(DIK_NEXT) \
    X(DIK_INSERT) X(DIK_DELETE) X(DIK_LWIN) X(DIK_RWIN) X(DIK_APPS) X(DIK_POWER) X(DIK_SLEEP) \
    X(DIK_WEBSEARCH) X(DIK_WEBFAVORITES) X(DIK_WEBREFRESH) X(DIK_WEBSTOP) X(DIK_WEBFORWARD) \
    X(DIK_WEBBACK) X(DIK_MYCOMPUTER) X(DIK_MAIL) X(DIK_MEDIASELECT)

#include "Engine/Platform/KeyCodes.h"

#include <cstdint>

namespace
{
struct SKey
{
    const char* name;
    std::uint8_t code;
};
#define TESS_ENGINE_KEY(name) SKey{#name, Tess::name},
constexpr SKey kEngineKeys[] = {TESS_EACH_KEY(TESS_ENGINE_KEY)};
} // namespace

#include <gtest/gtest.h>

#include "Engine/Platform/Win32/Win32Api.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>
// Older dinput.h files know 0x90 only by its Japanese keyboard's name.
#ifndef DIK_PREVTRACK
#define DIK_PREVTRACK DIK_CIRCUMFLEX
#endif

namespace
{
#define TESS_DIRECTINPUT_KEY(name) std::uint8_t(name),
constexpr std::uint8_t kDirectInputKeys[] = {TESS_EACH_KEY(TESS_DIRECTINPUT_KEY)};
static_assert(std::size(kEngineKeys) == std::size(kDirectInputKeys));
} // namespace

TEST(Win32KeyCodesTest, EveryEngineKeyCodeIsDirectInputsCode)
{
    for (std::size_t i = 0; i < std::size(kEngineKeys); ++i)
        EXPECT_EQ(kEngineKeys[i].code, kDirectInputKeys[i]) << kEngineKeys[i].name;
}
