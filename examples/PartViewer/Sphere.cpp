#include "PartViewer/Sphere.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <cmath>
#include <numbers>

using namespace Tess;

CTriMesh* MakeSphere(float radius, int slices, int stacks)
{
    auto* mesh = new CTriMesh();
    // Rings of `slices` vertices from the north pole (ring 0) to the south pole (ring `stacks`);
    // the poles repeat their vertex around the ring so that every ring has the same layout.
    auto* positions = new CVertexElement("POSITION", 3, (stacks + 1) * slices, D3DDECLTYPE_FLOAT3,
                                         D3DDECLUSAGE_POSITION);
    for (int ring = 0; ring <= stacks; ++ring)
    {
        const float polar = std::numbers::pi_v<float> * static_cast<float>(ring) / static_cast<float>(stacks);
        for (int i = 0; i < slices; ++i)
        {
            const float around = 2.0f * std::numbers::pi_v<float> * static_cast<float>(i) / static_cast<float>(slices);
            const Vector3 direction(std::sin(polar) * std::cos(around), std::cos(polar),
                                    std::sin(polar) * std::sin(around));
            positions->SetVector3(ring * slices + i, direction * radius);
        }
    }
    mesh->AddElement(positions);

    auto vertex = [slices](int i, int ring) { return ring * slices + i % slices; };
    for (int ring = 0; ring < stacks; ++ring)
        for (int i = 0; i < slices; ++i)
        {
            // The triangles that would collapse onto a pole are left out.
            if (ring != 0)
                mesh->AddTriangle(vertex(i, ring), vertex(i + 1, ring), vertex(i, ring + 1));
            if (ring != stacks - 1)
                mesh->AddTriangle(vertex(i + 1, ring), vertex(i + 1, ring + 1), vertex(i, ring + 1));
        }
    mesh->ComputeNormals();
    return mesh;
}
