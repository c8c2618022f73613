#include "support/VastDocuments.h"

namespace solen::test {

const std::string& VastDocuments::vast2Inline() {
    static const auto& doc = *new std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<VAST version="2.0">
  <Ad id="v2-1">
    <InLine>
      <AdSystem version="2.0">Example Ad Server</AdSystem>
      <AdTitle>Summer Sale</AdTitle>
      <Description><![CDATA[Thirty seconds of summer]]></Description>
      <Error><![CDATA[https://track.example.com/error?code=[ERRORCODE]&ad=v2-1]]></Error>
      <Impression><![CDATA[https://track.example.com/imp?ad=v2-1&cb=[CACHEBUSTING]]]></Impression>
      <Impression id="partner">https://partner.example.net/pixel?id=1</Impression>
      <Creatives>
        <Creative AdID="cr-1" sequence="1">
          <Linear>
            <Duration>00:00:30</Duration>
            <TrackingEvents>
              <Tracking event="creativeView">https://track.example.com/ev?e=creativeView</Tracking>
              <Tracking event="start">https://track.example.com/ev?e=start</Tracking>
              <Tracking event="firstQuartile">https://track.example.com/ev?e=q1</Tracking>
              <Tracking event="midpoint">https://track.example.com/ev?e=mid</Tracking>
              <Tracking event="thirdQuartile">https://track.example.com/ev?e=q3</Tracking>
              <Tracking event="complete">https://track.example.com/ev?e=complete</Tracking>
              <Tracking event="mute">https://track.example.com/ev?e=mute</Tracking>
              <Tracking event="unmute">https://track.example.com/ev?e=unmute</Tracking>
              <Tracking event="pause">https://track.example.com/ev?e=pause</Tracking>
              <Tracking event="fullscreen">https://track.example.com/ev?e=fs</Tracking>
            </TrackingEvents>
            <VideoClicks>
              <ClickThrough>https://www.example.com/landing?src=vast</ClickThrough>
              <ClickTracking>https://track.example.com/click</ClickTracking>
            </VideoClicks>
            <MediaFiles>
              <MediaFile delivery="progressive" type="video/mp4" bitrate="500" width="640" height="360" scalable="true" maintainAspectRatio="true">
                https://cdn.example.com/video/summer-640.mp4
              </MediaFile>
              <MediaFile delivery="progressive" type="video/mp4" bitrate="1500" width="1280" height="720">
                <![CDATA[https://cdn.example.com/video/summer-1280.mp4]]>
              </MediaFile>
            </MediaFiles>
          </Linear>
        </Creative>
        <Creative AdID="cr-1-companion">
          <CompanionAds>
            <Companion width="300" height="250">
              <StaticResource creativeType="image/png">https://cdn.example.com/img/summer-300x250.png</StaticResource>
              <TrackingEvents>
                <Tracking event="creativeView">https://track.example.com/companion/view</Tracking>
              </TrackingEvents>
              <CompanionClickThrough>https://www.example.com/landing?src=companion</CompanionClickThrough>
            </Companion>
          </CompanionAds>
        </Creative>
      </Creatives>
      <Extensions>
        <Extension type="waterfall"><![CDATA[{"fallback": true}]]></Extension>
      </Extensions>
    </InLine>
  </Ad>
</VAST>
)");
    return doc;
}

const std::string& VastDocuments::vast3Pod() {
    static const auto& doc = *new std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<VAST version="3.0" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
  <Ad id="pod-1" sequence="1">
    <InLine>
      <AdSystem>Example Pod Server</AdSystem>
      <AdTitle>Pod ad one</AdTitle>
      <Pricing model="CPM" currency="EUR"> 12.50 </Pricing>
      <Error>https://track.example.com/error?pod=1&amp;c=[ERRORCODE]</Error>
      <Impression>https://track.example.com/imp?pod=1</Impression>
      <Creatives>
        <Creative id="pod-1-c" sequence="1">
          <Linear skipoffset="00:00:05">
            <Duration>00:00:15.250</Duration>
            <AdParameters><![CDATA[{"mode":"interactive"}]]></AdParameters>
            <TrackingEvents>
              <Tracking event="start">https://track.example.com/pod1/start</Tracking>
              <Tracking event="progress" offset="00:00:05">https://track.example.com/pod1/p5</Tracking>
              <Tracking event="progress" offset="50%">https://track.example.com/pod1/p50</Tracking>
              <Tracking event="skip">https://track.example.com/pod1/skip</Tracking>
              <Tracking event="closeLinear">https://track.example.com/pod1/close</Tracking>
            </TrackingEvents>
            <VideoClicks>
              <ClickThrough id="ct">https://www.example.com/pod1</ClickThrough>
              <CustomClick id="cc">https://track.example.com/pod1/custom</CustomClick>
            </VideoClicks>
            <MediaFiles>
              <MediaFile id="m1" delivery="streaming" type="application/x-mpegURL" width="1920" height="1080" minBitrate="800" maxBitrate="4000">https://cdn.example.com/pod1/master.m3u8</MediaFile>
              <MediaFile id="m2" delivery="progressive" type="video/webm" width="854" height="480" codec="vp9">https://cdn.example.com/pod1/854.webm</MediaFile>
            </MediaFiles>
            <Icons>
              <Icon program="AdChoices" width="20" height="20" xPosition="right" yPosition="top" duration="00:00:15" offset="00:00:01" apiFramework="none">
                <StaticResource creativeType="image/png">https://cdn.example.com/icons/adchoices.png</StaticResource>
                <IconClicks>
                  <IconClickThrough>https://privacy.example.com/</IconClickThrough>
                  <IconClickTracking id="t1">https://track.example.com/icon/click1</IconClickTracking>
                  <IconClickTracking id="t2">https://track.example.com/icon/click2</IconClickTracking>
                </IconClicks>
                <IconViewTracking>https://track.example.com/icon/view</IconViewTracking>
              </Icon>
            </Icons>
          </Linear>
        </Creative>
      </Creatives>
    </InLine>
  </Ad>
  <Ad id="pod-2" sequence="2">
    <InLine>
      <AdSystem version="3.1">Example Pod Server</AdSystem>
      <AdTitle>Pod ad two</AdTitle>
      <Impression>https://track.example.com/imp?pod=2</Impression>
      <Creatives>
        <Creative sequence="1">
          <Linear>
            <Duration>00:00:10</Duration>
            <MediaFiles>
              <MediaFile delivery="progressive" type="video/mp4" width="1280" height="720">https://cdn.example.com/pod2/1280.mp4</MediaFile>
            </MediaFiles>
          </Linear>
        </Creative>
        <Creative sequence="2">
          <NonLinearAds>
            <TrackingEvents>
              <Tracking event="expand">https://track.example.com/pod2/nl/expand</Tracking>
            </TrackingEvents>
            <NonLinear id="nl-1" width="480" height="70" minSuggestedDuration="00:00:10">
              <StaticResource creativeType="image/jpeg">https://cdn.example.com/pod2/banner-a.jpg</StaticResource>
              <StaticResource creativeType="image/jpeg">https://cdn.example.com/pod2/banner-b.jpg</StaticResource>
              <NonLinearClickThrough>https://www.example.com/pod2</NonLinearClickThrough>
              <NonLinearClickTracking>https://track.example.com/pod2/nl/click</NonLinearClickTracking>
            </NonLinear>
          </NonLinearAds>
        </Creative>
      </Creatives>
    </InLine>
  </Ad>
</VAST>
)");
    return doc;
}

const std::string& VastDocuments::vast4Inline() {
    static const auto& doc = *new std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<VAST version="4.2" xmlns="http://www.iab.com/VAST">
  <Ad id="v4-1" conditionalAd="false">
    <InLine>
      <AdSystem version="4.2">Example Exchange</AdSystem>
      <Error><![CDATA[https://track.example.com/v4/error?c=[ERRORCODE]]]></Error>
      <Extensions>
        <Extension type="creativeParams">
          <CreativeParameters>
            <CreativeParameter creativeId="v4-c1" name="color" type="string"><![CDATA[blue]]></CreativeParameter>
            <CreativeParameter creativeId="v4-c1" name="size" type="int">3</CreativeParameter>
          </CreativeParameters>
        </Extension>
      </Extensions>
      <Impression id="imp-1"><![CDATA[https://track.example.com/v4/imp]]></Impression>
      <Pricing model="cpm" currency="USD"><![CDATA[ 4.75 ]]></Pricing>
      <AdServingId>serving-123</AdServingId>
      <AdTitle>Spring Collection</AdTitle>
      <Advertiser>Example Outfitters</Advertiser>
      <Category authority="https://iabtechlab.com">IAB1-5</Category>
      <Category authority="https://iabtechlab.com"></Category>
      <Description>Fifteen second spot</Description>
      <Survey type="text/javascript">https://survey.example.com/s.js</Survey>
      <ViewableImpression id="vi-1">
        <Viewable><![CDATA[https://track.example.com/v4/viewable]]></Viewable>
        <NotViewable><![CDATA[https://track.example.com/v4/notviewable]]></NotViewable>
        <ViewUndetermined><![CDATA[https://track.example.com/v4/undetermined]]></ViewUndetermined>
      </ViewableImpression>
      <AdVerifications>
        <Verification vendor="verifier.example.com-omid">
          <JavaScriptResource apiFramework="omid" browserOptional="true">
            <![CDATA[https://verify.example.com/omid.js]]>
          </JavaScriptResource>
          <VerificationParameters><![CDATA[{"campaign":"spring","placement":12}]]></VerificationParameters>
          <TrackingEvents>
            <Tracking event="verificationNotExecuted">https://verify.example.com/ne?r=[REASON]</Tracking>
          </TrackingEvents>
        </Verification>
      </AdVerifications>
      <Creatives>
        <Creative id="v4-c1" adId="ad-77" sequence="1" apiFramework="SIMID">
          <UniversalAdId idRegistry="ad-id.org" idValue="ABCD1234000H">ABCD1234000H</UniversalAdId>
          <CreativeExtensions>
            <CreativeExtension type="application/json"><![CDATA[{"brandColor":"#00a"}]]></CreativeExtension>
          </CreativeExtensions>
          <Linear>
            <Duration>00:00:15</Duration>
            <MediaFiles>
              <MediaFile delivery="progressive" type="video/mp4" width="640" height="360" bitrate="600" codec="avc1.42E01E" apiFramework="VPAID" fileSize="2048000" mediaType="2D">https://cdn.example.com/v4/640.mp4</MediaFile>
              <MediaFile delivery="progressive" type="video/mp4" width="1920" height="1080" bitrate="4500">https://cdn.example.com/v4/1920.mp4</MediaFile>
              <Mezzanine delivery="progressive" type="video/mp4" width="1920" height="1080">https://cdn.example.com/v4/mezz.mp4</Mezzanine>
              <InteractiveCreativeFile type="text/html" apiFramework="SIMID" variableDuration="true">https://cdn.example.com/v4/simid.html</InteractiveCreativeFile>
            </MediaFiles>
            <TrackingEvents>
              <Tracking event="start">https://track.example.com/v4/start</Tracking>
              <Tracking event="complete">https://track.example.com/v4/complete</Tracking>
            </TrackingEvents>
            <VideoClicks>
              <ClickThrough id="v4-ct">https://www.example.com/spring</ClickThrough>
              <ClickTracking id="v4-tr">https://track.example.com/v4/click</ClickTracking>
            </VideoClicks>
          </Linear>
        </Creative>
        <Creative id="v4-c2">
          <CompanionAds required="any">
            <Companion id="co-1" width="300" height="250" assetWidth="300" assetHeight="250" adSlotId="right-rail" pxratio="2" renderingMode="end-card">
              <StaticResource creativeType="image/png"><![CDATA[https://cdn.example.com/v4/300x250.png]]></StaticResource>
              <AdParameters xmlEncoded="false">companion=1</AdParameters>
              <AltText>Spring collection</AltText>
              <CompanionClickThrough>https://www.example.com/spring?c=1</CompanionClickThrough>
              <CompanionClickTracking id="cct">https://track.example.com/v4/companion/click</CompanionClickTracking>
              <TrackingEvents>
                <Tracking event="creativeView">https://track.example.com/v4/companion/view</Tracking>
              </TrackingEvents>
            </Companion>
            <Companion id="co-2" width="728" height="90">
              <IFrameResource><![CDATA[https://cdn.example.com/v4/728x90.html]]></IFrameResource>
              <HTMLResource><![CDATA[https://cdn.example.com/v4/728x90-inline.html]]></HTMLResource>
            </Companion>
          </CompanionAds>
        </Creative>
      </Creatives>
    </InLine>
  </Ad>
</VAST>
)");
    return doc;
}

const std::string& VastDocuments::vast4Wrapper() {
    static const auto& doc = *new std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<VAST version="4.1">
  <Ad id="wrap-1">
    <Wrapper followAdditionalWrappers="true" allowMultipleAds="false" fallbackOnNoAd="true">
      <AdSystem version="1">Example Wrapper</AdSystem>
      <Impression><![CDATA[https://wrap.example.com/imp?w=1]]></Impression>
      <Error><![CDATA[https://wrap.example.com/err?c=[ERRORCODE]]]></Error>
      <VASTAdTagURI><![CDATA[https://ads.example.com/vast?slot=preroll&w=[WIDTH]]]></VASTAdTagURI>
      <Creatives>
        <Creative>
          <Linear>
            <TrackingEvents>
              <Tracking event="start">https://wrap.example.com/start</Tracking>
              <Tracking event="complete">https://wrap.example.com/complete</Tracking>
            </TrackingEvents>
            <VideoClicks>
              <ClickTracking>https://wrap.example.com/click</ClickTracking>
            </VideoClicks>
          </Linear>
        </Creative>
      </Creatives>
    </Wrapper>
  </Ad>
</VAST>
)");
    return doc;
}

}  // namespace solen::test
