#pragma once
// The Windows half of the input kinds (app/InputKinds.h): each route bound to
// the pipeline that takes it.
#include <span>
#include <string_view>

#include "app/FileRoute.h"
#include "tools/Pipeline.h"

struct InputRoute {
  RouteId id;
  IconPipeline pipeline;
};

// One binding per route.
std::span<const InputRoute> InputRoutes();

// The binding among routes of the kind the path names (KindByPath over
// InputKinds()); nullptr when it names no kind or routes does not bind it.
const InputRoute* RouteByPath(std::string_view path, std::span<const InputRoute> routes, LeadBytePredicate isLead);
