// Template part of Properties.hpp: MakeProperty.
#pragma once
