#include "RedirectedImageHost.h"

RedirectedImageHost::RedirectedImageHost(ChartImageHost& host, const QString& directory)
    : host_(host)
    , directory_(directory)
{ }

void RedirectedImageHost::BeginSaving()
{
    host_.BeginSaving();
}

void RedirectedImageHost::ShowImagePage(const ChartRow& row)
{
    host_.ShowImagePage(row);
}

void RedirectedImageHost::EndGroup(ChartGroup group)
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

double RedirectedImageHost::ReferenceHighestX(ChartGroup group) const
{
    return host_.ReferenceHighestX(group);
}

QImage RedirectedImageHost::RenderImage(const ChartRow& row)
{
    return host_.RenderImage(row);
}

bool RedirectedImageHost::DrawsFromAnyThread() const
{
    return host_.DrawsFromAnyThread();
}
