// Vertex inputs on the OpenGL device: whatever declaration drew before, a draw reads exactly the
// inputs its own declaration feeds and the defaults for the rest; draws whose streams would make
// OpenGL read outside the vertex data are refused.

#include "GLTestDevice.h"

#include <cstring>
#include <string>
#include <vector>

using namespace Tess;
using namespace Tess::Test;

namespace
{

constexpr std::uint32_t kBackground = 0xFF102030;

// The outline's vertex: position, its normal, the normal across the edge and a flag.
struct EdgeVertex
{
    float x, y, z;
    float normal[3];
    float other[3];
    float flag;
};

// Shows which inputs arrive: red from NORMAL.x, green from TANGENT.y, blue from TEXCOORD0.
const char* kInputColourStage = R"(
layout(location = 0) in vec3 Position;
layout(location = 1) in vec3 Normal;
layout(location = 3) in vec3 Other;
layout(location = 2) in float Flag;
out vec4 vColor;
out vec2 vTexCoord0;
void main()
{
    gl_Position = vec4(Position, 1.0);
    vColor = vec4(Normal.x, Other.y, Flag, 1.0);
    vTexCoord0 = vec2(0.0);
}
)";

// Bit 0 feeds NORMAL, bit 1 TANGENT, bit 2 TEXCOORD0; POSITION always.
std::vector<VertexElement> EdgeDeclaration(int inputs)
{
    std::vector<VertexElement> elements{{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}};
    if (inputs & 1)
        elements.push_back({0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0});
    if (inputs & 2)
        elements.push_back({0, 24, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TANGENT, 0});
    if (inputs & 4)
        elements.push_back({0, 36, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, 0});
    elements.push_back(kDeclarationEnd);
    return elements;
}

// The colour kInputColourStage gives when the inputs fed carry 1 and the others their default 0.
std::uint32_t ExpectedColour(int inputs)
{
    return 0xFF000000u | ((inputs & 1) ? 0xFF0000u : 0u) | ((inputs & 2) ? 0xFF00u : 0u) | ((inputs & 4) ? 0xFFu : 0u);
}

// A quad in clip space over the columns [left, right) of the target, every input at 1.
std::vector<EdgeVertex> Quad(float left, float right)
{
    std::vector<EdgeVertex> quad(4, EdgeVertex{0, 0, 0.5f, {1, 0, 0}, {0, 1, 0}, 1.0f});
    quad[0].x = quad[3].x = left;
    quad[1].x = quad[2].x = right;
    quad[0].y = quad[1].y = 1.0f;
    quad[2].y = quad[3].y = -1.0f;
    return quad;
}

} // namespace

class GLVertexInputTest : public GLDeviceTest
{
protected:
    void SetUp() override
    {
        GLDeviceTest::SetUp();
        std::string errors;
        m_inputColour = m_device->CreateVertexShader(kInputColourStage, errors);
        ASSERT_TRUE(m_inputColour) << errors;
        for (int inputs = 0; inputs < 8; ++inputs)
        {
            m_declarations.push_back(m_device->CreateVertexDeclaration(EdgeDeclaration(inputs).data()));
            ASSERT_TRUE(m_declarations.back());
        }
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    VertexBufferId MakeBuffer(const void* data, std::uint32_t bytes)
    {
        const VertexBufferId buffer = m_device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED);
        void* target = m_device->LockVertexBuffer(buffer, 0, 0);
        EXPECT_NE(target, nullptr);
        if (target)
            std::memcpy(target, data, bytes);
        m_device->UnlockVertexBuffer(buffer);
        return buffer;
    }

    // Draws `quad` with the declaration feeding `inputs`, from a buffer or from user memory.
    void DrawEdgeQuad(int inputs, const std::vector<EdgeVertex>& quad, VertexBufferId buffer)
    {
        m_device->SetVertexShader(m_inputColour);
        ASSERT_EQ(m_device->SetVertexDeclaration(m_declarations[static_cast<std::size_t>(inputs)]), kOk);
        if (buffer)
        {
            ASSERT_EQ(m_device->SetStreamSource(0, buffer, 0, sizeof(EdgeVertex)), kOk);
            ASSERT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), kOk);
        }
        else
        {
            ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad.data(), sizeof(EdgeVertex)), kOk);
        }
        m_device->SetVertexShader(VertexShaderId{});
    }

    VertexShaderId m_inputColour;
    std::vector<DeclarationId> m_declarations;
};

TEST_F(GLVertexInputTest, EveryDeclarationFeedsItsInputsWhicheverDrewBefore)
{
    const std::vector<EdgeVertex> left = Quad(-1.0f, 0.0f), right = Quad(0.0f, 1.0f);
    const VertexBufferId leftBuffer = MakeBuffer(left.data(), sizeof(EdgeVertex) * 4);
    const VertexBufferId rightBuffer = MakeBuffer(right.data(), sizeof(EdgeVertex) * 4);
    // Every ordered pair of declarations, back to back, after a GUI rectangle (POSITIONT,
    // COLOR0, TEXCOORD0) as in a frame of the viewer; from buffers and from user memory.
    for (const bool fromBuffers : {true, false})
        for (int before = 0; before < 8; ++before)
            for (int after = 0; after < 8; ++after)
            {
                SCOPED_TRACE(std::string(fromBuffers ? "buffers" : "user memory") + ", inputs " +
                             std::to_string(before) + " then " + std::to_string(after));
                m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
                DrawScreenRect(0, 0, 4, 4, 0xFFFFFFFF);
                DrawEdgeQuad(before, left, fromBuffers ? leftBuffer : VertexBufferId{});
                DrawEdgeQuad(after, right, fromBuffers ? rightBuffer : VertexBufferId{});
                const std::vector<std::uint32_t> pixels = ReadBackBuffer();
                ASSERT_EQ(PixelAt(pixels, kWidth / 4, kHeight / 2), ExpectedColour(before));
                ASSERT_EQ(PixelAt(pixels, 3 * kWidth / 4, kHeight / 2), ExpectedColour(after));
            }
    m_device->ReleaseVertexBuffer(leftBuffer);
    m_device->ReleaseVertexBuffer(rightBuffer);
}

TEST_F(GLVertexInputTest, InputsLeftOutReadTheirDefaultsAfterArraysFedThem)
{
    std::string errors;
    // NORMAL as a whole vector (w included) and COLOR0's green.
    const VertexShaderId defaults = m_device->CreateVertexShader(
        "layout(location = 0) in vec3 Position;\nlayout(location = 1) in vec4 Normal;\n"
        "layout(location = 5) in vec4 Color;\nout vec4 vColor;\nout vec2 vTexCoord0;\n"
        "void main() { gl_Position = vec4(Position, 1.0); vColor = vec4(Normal.x, Normal.w, Color.g, 1.0);"
        " vTexCoord0 = vec2(0.0); }\n",
        errors);
    ASSERT_TRUE(defaults) << errors;
    struct Fed
    {
        float x, y, z;
        float normal[4];
        std::uint32_t color;
    };
    constexpr VertexElement kFedElements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_NORMAL, 0},
        {0, 28, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
        kDeclarationEnd,
    };
    // Fed: NORMAL (1, 0, 0, 0) and a black COLOR0 give red only.
    const Fed fed[4] = {{-1, 1, 0.5f, {1, 0, 0, 0}, 0xFF000000}, {1, 1, 0.5f, {1, 0, 0, 0}, 0xFF000000},
                        {1, -1, 0.5f, {1, 0, 0, 0}, 0xFF000000}, {-1, -1, 0.5f, {1, 0, 0, 0}, 0xFF000000}};
    const float positions[12] = {-1, 1, 0.5f, 1, 1, 0.5f, 1, -1, 0.5f, -1, -1, 0.5f};
    const DeclarationId fedDeclaration = m_device->CreateVertexDeclaration(kFedElements);
    const DeclarationId positionsOnly = m_device->CreateVertexDeclaration(kPositionElements);
    m_device->SetVertexShader(defaults);
    for (int round = 0; round < 3; ++round)
    {
        SCOPED_TRACE(round);
        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        m_device->SetVertexDeclaration(fedDeclaration);
        ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fed, sizeof(Fed)), kOk);
        EXPECT_EQ(PixelAt(ReadBackBuffer(), kWidth / 2, kHeight / 2), 0xFFFF0000u);
        // Unfed: NORMAL (0, 0, 0, 1) and COLOR0 white give green and blue.
        m_device->SetVertexDeclaration(positionsOnly);
        ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, positions, 12), kOk);
        EXPECT_EQ(PixelAt(ReadBackBuffer(), kWidth / 2, kHeight / 2), 0xFF00FFFFu);
    }
    m_device->SetVertexShader(VertexShaderId{});
    m_device->ReleaseVertexShader(defaults);
}

TEST_F(GLVertexInputTest, UserMemoryDrawsRefuseElementsOutsideTheVertex)
{
    const ScreenVertex vertices[4] = {{0, 0, 0.5f, 1, 0xFFFF0000, 0, 0}, {10, 0, 0.5f, 1, 0xFFFF0000, 0, 0},
                                      {10, 10, 0.5f, 1, 0xFFFF0000, 0, 0}, {0, 10, 0.5f, 1, 0xFFFF0000, 0, 0}};
    m_device->SetVertexDeclaration(m_screenDeclaration);
    // The texture coordinates lie at bytes 20 to 27: a 20-byte stride would read the last
    // vertex's past the data handed over.
    EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 1, vertices, 20), kInvalidCall);
    EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(ScreenVertex)), kOk);
}

TEST_F(GLVertexInputTest, UserMemoryDrawsCheckTheOtherStreamsTheyRead)
{
    // Positions from user memory, colours from stream 1.
    constexpr VertexElement kTwoStreams[] = {
        {0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
        {1, 0, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
        kDeclarationEnd,
    };
    const float positions[16] = {-0.5f, -0.5f, 0.5f, 1, 9.5f, -0.5f, 0.5f, 1, 9.5f, 9.5f, 0.5f, 1, -0.5f, 9.5f, 0.5f, 1};
    const std::uint32_t colours[4] = {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00};
    const VertexBufferId twoColours = MakeBuffer(colours, sizeof(std::uint32_t) * 2);
    const VertexBufferId fourColours = MakeBuffer(colours, sizeof(colours));
    m_device->SetVertexDeclaration(m_device->CreateVertexDeclaration(kTwoStreams));
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);

    m_device->SetStreamSource(1, twoColours, 0, sizeof(std::uint32_t));
    EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, positions, 16), kInvalidCall) << "four vertices, two colours";
    m_device->SetStreamSource(1, VertexBufferId{}, 0, 0);
    EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, positions, 16), kInvalidCall) << "no colour stream";
    m_device->SetStreamSource(1, fourColours, 0, sizeof(std::uint32_t));
    EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, positions, 16), kOk);
    EXPECT_EQ(CountPixels(ReadBackBuffer(), 0xFF00FF00u, 0, 0, kWidth, kHeight), 10 * 10);
    m_device->SetStreamSource(1, VertexBufferId{}, 0, 0);
    m_device->ReleaseVertexBuffer(twoColours);
    m_device->ReleaseVertexBuffer(fourColours);
}

TEST_F(GLVertexInputTest, BufferDrawsRefuseAZeroStride)
{
    const std::vector<EdgeVertex> quad = Quad(-1.0f, 1.0f);
    const VertexBufferId buffer = MakeBuffer(quad.data(), sizeof(EdgeVertex) * 4);
    m_device->SetVertexShader(m_inputColour);
    m_device->SetVertexDeclaration(m_declarations[7]);
    // OpenGL would read a zero stride as tightly packed vertices, past the checked range.
    m_device->SetStreamSource(0, buffer, sizeof(EdgeVertex) * 3, 0);
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), kInvalidCall);
    m_device->SetStreamSource(0, buffer, 0, sizeof(EdgeVertex));
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), kOk);
    m_device->SetVertexShader(VertexShaderId{});
    m_device->ReleaseVertexBuffer(buffer);
}

TEST_F(GLVertexInputTest, IndicesMayNotReachBeforeTheFirstVertex)
{
    const ScreenVertex vertices[5] = {{0, 0, 0.5f, 1, 0xFF0000FF, 0, 0}, {-0.5f, -0.5f, 0.5f, 1, 0xFFFF0000, 0, 0},
                                      {19.5f, -0.5f, 0.5f, 1, 0xFFFF0000, 0, 0}, {19.5f, 9.5f, 0.5f, 1, 0xFFFF0000, 0, 0},
                                      {-0.5f, 9.5f, 0.5f, 1, 0xFFFF0000, 0, 0}};
    const VertexBufferId vb = MakeBuffer(vertices, sizeof vertices);
    const IndexBufferId ib = m_device->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(m_device->LockIndexBuffer(ib, 0, 0), indices, sizeof indices);
    m_device->UnlockIndexBuffer(ib);
    m_device->SetVertexDeclaration(m_screenDeclaration);
    m_device->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
    m_device->SetIndices(ib);
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    // Index 0 with a base vertex of -1 is vertex -1; the largest index alone looks fine.
    EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 4, 0, 2), kInvalidCall);
    // From vertex 1 on, the same indices draw the red quad.
    EXPECT_EQ(m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), kOk);
    EXPECT_EQ(CountPixels(ReadBackBuffer(), 0xFFFF0000u, 0, 0, kWidth, kHeight), 20 * 10);
    m_device->SetIndices(IndexBufferId{});
    m_device->ReleaseIndexBuffer(ib);
    m_device->ReleaseVertexBuffer(vb);
}
