#pragma once
#include <TopoDS_Shape.hxx>
