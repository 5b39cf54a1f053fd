#include "GateValve.h"

#include <cmath>
#include <numbers>

namespace ModelGenerator
{

namespace
{

constexpr double kPi = std::numbers::pi;
const SVec3 kAxisX{1, 0, 0};
const SVec3 kAxisY{0, 1, 0};

// A stud through a bolted joint with a hexagon nut at each end, along `axis` from `start`;
// nut spans are (from, to) along the stud.
void AddStudWithNuts(CShapeMesh& mesh, const SVec3& start, const SVec3& axis, double length, double nut1From,
                     double nut1To, double nut2From, double nut2To, double hexTurn)
{
    const SFrame frame = SFrame::Around(start, axis);
    const double r = 1.1;
    mesh.AddLathe(frame,
                  {{0, 0}, {0.8, 0, true}, {r, 0.3, true}, {r, length - 0.3, true}, {0.8, length, true}, {0, length}},
                  16);
    for (const auto& [from, to] : {std::pair{nut1From, nut1To}, std::pair{nut2From, nut2To}})
    {
        // Chamfered hexagon, 2.0 to the corners.
        mesh.AddLathe(frame,
                      {{0, from}, {1.7, from, true}, {2.0, from + 0.3, true}, {2.0, to - 0.3, true}, {1.7, to, true},
                       {0, to}},
                      6, false, true, hexTurn);
    }
}

CShapeMesh BuildBody()
{
    CShapeMesh mesh;

    // The pipe run: plain ends that the flanges' hubs cover, swelling to the valve chamber.
    mesh.BeginGroup("Pipe run");
    std::vector<SProfilePoint> run = {{0, -30}, {11, -30, true}, {11, -24}};
    for (int i = -10; i <= 10; ++i)
    {
        const double h = 2.0 * i;
        const double c = std::cos(kPi * h / 40.0);
        run.push_back({11.0 + 3.5 * c * c, h});
    }
    run.insert(run.end(), {{11, 24}, {11, 30, true}, {0, 30}});
    mesh.AddLathe(SFrame::Around({0, 0, 0}, kAxisX), run, 64);

    // The chamber the gate slides in: a rounded bottom, a straight wall and the bonnet flange.
    mesh.BeginGroup("Chamber");
    std::vector<SProfilePoint> chamber = {{0, -23}};
    for (int i = 1; i <= 8; ++i)
    {
        const double t = kPi / 2.0 * i / 8.0;
        chamber.push_back({15.0 * std::sin(t), -23.0 + 9.0 * (1.0 - std::cos(t))});
    }
    chamber.insert(chamber.end(), {{15, -4}, {15, 12, true}, {19.5, 12, true}, {19.5, 18, true}, {0, 18}});
    mesh.AddLathe(SFrame::Around({0, 0, 0}, kAxisY), chamber, 64);
    return mesh;
}

// A weld-neck flange with its eight studs; `outward` is +x for the outlet, -x for the inlet.
CShapeMesh BuildFlange(const SVec3& outward)
{
    CShapeMesh mesh;
    mesh.BeginGroup("Flange");
    // Cross-section of the ring: hub, disc with chamfered rim, raised face, bore.
    mesh.AddLathe(SFrame::Around({0, 0, 0}, outward),
                  {{8, -8, true}, {13, -8, true}, {13, 0, true}, {23.5, 0, true}, {24, 0.5, true}, {24, 4.5, true},
                   {23.5, 5, true}, {15, 5, true}, {15, 6, true}, {8, 6, true}},
                  64, true);

    mesh.BeginGroup("Studs");
    for (int i = 0; i < 8; ++i)
    {
        // Straddling the centre lines, as flange bolt holes are drilled.
        const double a = kPi / 8.0 + kPi / 4.0 * i;
        const SVec3 start = SVec3{0, 19.5 * std::cos(a), 19.5 * std::sin(a)} + outward * -3.6;
        // Nuts sink 0.3 into the disc so that no face lies on a face of the disc.
        AddStudWithNuts(mesh, start, outward, 11.2, 1.2, 3.9, 8.3, 11.0, a);
    }
    return mesh;
}

CShapeMesh BuildBonnet()
{
    CShapeMesh mesh;
    const SFrame up = SFrame::Around({0, 0, 0}, kAxisY);

    mesh.BeginGroup("Bonnet");
    mesh.AddLathe(up,
                  {{0, 0}, {19.5, 0, true}, {19.5, 5, true}, {12, 5, true}, {11.2, 8}, {10.4, 12}, {9.8, 16},
                   {9.5, 19}, {9.5, 22, true}, {12.5, 22, true}, {12.5, 26, true}, {0, 26}},
                  64);

    mesh.BeginGroup("Bonnet studs");
    for (int i = 0; i < 8; ++i)
    {
        const double a = kPi / 8.0 + kPi / 4.0 * i;
        // Through the body's flange (6 thick, below this part's origin) and the bonnet's (5).
        const SVec3 start{17.2 * std::cos(a), -9.0, 17.2 * std::sin(a)};
        AddStudWithNuts(mesh, start, kAxisY, 17.0, 0.6, 3.3, 13.7, 16.4, a);
    }

    mesh.BeginGroup("Yoke");
    for (double side : {-1.0, 1.0})
        mesh.AddBox(SFrame::Around({10.0 * side, 38.0, 0}, kAxisY), {1.8, 12.5, 3.0});
    mesh.AddBox(SFrame::Around({0, 51.0, 0}, kAxisY), {13.5, 3.0, 4.0});
    // The yoke nut the handwheel turns.
    mesh.AddLathe(up, {{0, 53.7}, {5.0, 53.7, true}, {5.6, 54.3, true}, {5.6, 56.4, true}, {5.0, 57, true}, {0, 57}},
                  6, false, true, kPi / 6.0);

    mesh.BeginGroup("Stem");
    std::vector<SProfilePoint> stem = {{0, 20}, {2.2, 20, true}, {2.2, 28, true}};
    // Acme-like thread between the gland and the yoke.
    for (double h = 28.5; h < 47.0; h += 1.0)
        stem.insert(stem.end(), {{2.55, h, true}, {2.2, h + 0.5, true}});
    stem.insert(stem.end(), {{2.2, 65.6, true}, {1.8, 66, true}, {0, 66}});
    mesh.AddLathe(up, stem, 24);
    return mesh;
}

CShapeMesh BuildHandwheel()
{
    CShapeMesh mesh;
    const SFrame up = SFrame::Around({0, 0, 0}, kAxisY);

    // The rim is dished 2.5 below the hub, so the spokes slope down to it.
    mesh.BeginGroup("Rim");
    mesh.AddTorus(SFrame::Around({0, -2.5, 0}, kAxisY), 24.0, 1.8, 96, 16);

    mesh.BeginGroup("Hub");
    mesh.AddLathe(up, {{0, -3}, {3.5, -3, true}, {4.5, -2, true}, {4.5, 2, true}, {3.5, 3, true}, {0, 3}}, 32);
    mesh.AddLathe(up, {{0, 2.7}, {2.3, 2.7, true}, {2.6, 3.0, true}, {2.6, 4.7, true}, {2.3, 5, true}, {0, 5}}, 6,
                  false, true);

    mesh.BeginGroup("Spokes");
    for (int i = 0; i < 5; ++i)
    {
        const double a = 2.0 * kPi * i / 5.0 + kPi / 2.0;
        const SVec3 direction{std::cos(a), 0, std::sin(a)};
        const SVec3 start = direction * 3.8;
        const SVec3 end = direction * 23.6 + SVec3{0, -2.5, 0};
        const SVec3 along = end - start;
        const double length = std::sqrt(along.Dot(along));
        // Thicker at both ends, where the spoke is cast into hub and rim.
        mesh.AddLathe(SFrame::Around(start, along),
                      {{0, 0}, {1.45, 0, true}, {1.45, 1.5}, {1.15, 4.5}, {1.15, length - 4.0}, {1.3, length - 1.5},
                       {1.3, length, true}, {0, length}},
                      20);
    }
    return mesh;
}

} // namespace

std::vector<SEquipmentPart> BuildGateValve()
{
    std::vector<SEquipmentPart> parts;
    const std::array<float, 4> castSteel{0.36f, 0.42f, 0.50f, 1.0f};
    const std::array<float, 4> forgedSteel{0.52f, 0.53f, 0.55f, 1.0f};
    const std::array<float, 4> wheelRed{0.70f, 0.12f, 0.08f, 1.0f};
    parts.push_back({"Edge_Mesh.ms3d", "Valve body", {0, 0, 0}, BuildBody(), "Cast steel", castSteel});
    parts.push_back({"Valve_Flange_Inlet.ms3d", "Inlet flange", {-30, 0, 0}, BuildFlange({-1, 0, 0}), "Forged steel",
                     forgedSteel});
    parts.push_back({"Valve_Flange_Outlet.ms3d", "Outlet flange", {30, 0, 0}, BuildFlange({1, 0, 0}), "Forged steel",
                     forgedSteel});
    parts.push_back({"Valve_Bonnet.ms3d", "Bonnet, yoke and stem", {0, 18, 0}, BuildBonnet(), "Cast steel", castSteel});
    parts.push_back({"Valve_Handwheel.ms3d", "Handwheel", {0, 78, 0}, BuildHandwheel(), "Painted steel", wheelRed});
    return parts;
}

} // namespace ModelGenerator
