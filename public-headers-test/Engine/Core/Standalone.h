#pragma once
int standalone()
