#include "RedirectedImageHost.h"

RedirectedImageHost::RedirectedImageHost(ChartImageHost& host, const QString& directory)
    : host_(host)
    , directory_(directory)
{
}

void RedirectedImageHost::BeginSaving()
{
    host_.BeginSaving();
}

void RedirectedImageHost::ShowImagePage(const ChartImageKind& kind)
{
    host_.ShowImagePage(kind);
}

void RedirectedImageHost::EndGroup(ChartImageGroup group)
{
    host_.EndGroup(group);
}

void RedirectedImageHost::EndSaving()
{
    host_.EndSaving();
}

QString RedirectedImageHost::LoopDirectory() const
{
    return host_.LoopDirectory().isEmpty() ? QString() : directory_;
}

bool RedirectedImageHost::HavePeerData() const
{
    return host_.HavePeerData();
}

double RedirectedImageHost::ReferenceHighestX(ChartImageGroup group) const
{
    return host_.ReferenceHighestX(group);
}

QImage RedirectedImageHost::RenderImage(const ChartImageKind& kind)
{
    return host_.RenderImage(kind);
}
