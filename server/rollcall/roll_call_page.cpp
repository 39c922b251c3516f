#include "server/rollcall/roll_call_page.h"

#include "common/ansi_text.h"
#include "server/rollcall/roll_call.h"
#include "server/rollcall/roll_call_json.h"

const char kRollCallStyle[] = R"CSS(
*{box-sizing:border-box}
body{margin:0;font:18px/1.35 system-ui,-apple-system,"Segoe UI",Arial,sans-serif;color:#1b1f24;background:#f4f5f7}
main{max-width:640px;margin:0 auto;padding:10px 12px 80px}
.drill{background:#b45309;color:#fff;text-align:center;font-weight:800;letter-spacing:.3em;padding:6px;font-size:1.1em}
h1{font-size:2.6em;line-height:1.1;margin:10px 0 2px;text-align:center}
h1 .of{font-weight:400;font-size:.55em}
#when{text-align:center;color:#57606a;margin:0 0 10px}
#state{display:block;text-align:center;color:#b91c1c;font-weight:700;min-height:1.3em}
#search{width:100%;padding:12px;font-size:18px;border:1px solid #c5cad1;border-radius:10px;margin:0 0 10px}
ul.people{list-style:none;margin:0;padding:0}
ul.people li{margin:0 0 8px}
ul.people li.hidden{display:none}
button.person{display:flex;justify-content:space-between;align-items:center;width:100%;min-height:64px;padding:10px 16px;font-size:1.15em;border:0;border-radius:12px;background:#fff;box-shadow:0 1px 3px rgba(0,0,0,.15);text-align:left;cursor:pointer;color:inherit}
li.missing button.person{border-left:10px solid #b91c1c}
li.safe button.person{border-left:10px solid #1a7f37;background:#ecfdf3}
li.left button.person{border-left:10px solid #8c959f;color:#57606a}
.mark{font-size:.8em;font-weight:700;text-transform:uppercase}
li.missing .mark{color:#b91c1c}li.safe .mark{color:#1a7f37}
h2{font-size:1em;color:#57606a;text-transform:uppercase;margin:18px 0 8px}
.controls{display:flex;gap:8px;flex-wrap:wrap;margin:16px 0}
.controls button{flex:1;min-height:52px;font-size:1em;border:0;border-radius:10px;background:#2b3440;color:#fff;cursor:pointer}
.controls button.drill-start{background:#b45309}
.box{display:none}
@media print{
body{background:#fff;font-size:12pt}
main{max-width:none;padding:0}
#search,.controls,#state,li.safe,li.left,h2.safe,h2.left,.mark{display:none}
h1{font-size:20pt;text-align:left}#when{text-align:left}
.drill{background:none;color:#000;border:3px solid #000}
button.person{box-shadow:none;border:0;border-bottom:1px solid #999;border-radius:0;min-height:0;padding:6px 0;justify-content:flex-start;background:none}
li.missing button.person{border-left:0}
.box{display:inline-block;width:16pt;height:16pt;border:2px solid #000;margin-right:12pt;flex:none}
}
)CSS";

const char kRollCallScript[] = R"JS(
(function(){
var list=document.getElementById('people'),search=document.getElementById('search'),
 stateBox=document.getElementById('state'),doc=null;
function key(ask){var k=localStorage.getItem('rollcall.key');
 if((!k||ask)){k=prompt('The marshal key, please');if(k===null)return null;localStorage.setItem('rollcall.key',k);}
 return k;}
function say(t){stateBox.textContent=t;}
function filter(){var q=search.value.trim().toLowerCase();
 Array.prototype.forEach.call(list.querySelectorAll('li'),function(li){
  li.classList.toggle('hidden',q!==''&&li.textContent.toLowerCase().indexOf(q)<0);});}
function item(p){var li=document.createElement('li');li.className=p.state;
 var b=document.createElement('button');b.className='person';b.setAttribute('data-name',p.name);
 var box=document.createElement('span');box.className='box';b.appendChild(box);
 var n=document.createElement('span');n.className='name';n.textContent=p.name;b.appendChild(n);
 var m=document.createElement('span');m.className='mark';
 m.textContent=p.state==='missing'?'missing':p.state+(p.marked?' '+p.marked:'');b.appendChild(m);
 li.appendChild(b);return li;}
function render(d){doc=d;document.getElementById('n-safe').textContent=d.safe;
 document.getElementById('n-expected').textContent=d.expected;
 list.textContent='';['missing','safe','left'].forEach(function(s){
  d.people.forEach(function(p){if(p.state===s)list.appendChild(item(p));});});
 var r=d.running;document.body.classList.toggle('ended',!r);
 document.getElementById('end').hidden=!r;
 Array.prototype.forEach.call(document.querySelectorAll('.start'),function(b){b.hidden=r;});
 document.getElementById('when').textContent=d.started?(r?'Started ':'Ended ')+
  (r?d.started:d.ended).replace('T',' ').slice(0,16):'No roll call is running';
 var banner=document.getElementById('drill');if(banner)banner.hidden=!d.drill;
 filter();}
function send(body,retry){var k=key(false);if(k===null)return;
 fetch('/rollcall',{method:'POST',headers:{'Content-Type':'application/json','Authorization':'Bearer '+k},
  body:JSON.stringify(body)}).then(function(r){
  if(r.status===401&&retry){if(key(true)!==null)send(body,false);return;}
  if(!r.ok)return r.json().then(function(j){say(j.error||('Refused: '+r.status));});
  say('');return fetch('/rollcall.json').then(function(x){return x.json();}).then(render);
 }).catch(function(){say('Not sent: the board cannot be reached');});}
list.addEventListener('click',function(e){var b=e.target.closest('button.person');
 if(!b||!doc||!doc.running)return;var li=b.parentNode;
 send({mark:b.getAttribute('data-name'),safe:!li.classList.contains('safe')},true);});
search.addEventListener('input',filter);
document.getElementById('end').addEventListener('click',function(){
 if(confirm('End the roll call?'))send({end:true},true);});
Array.prototype.forEach.call(document.querySelectorAll('.start'),function(b){
 b.addEventListener('click',function(){send({start:true,drill:b.classList.contains('drill-start')},true);});});
fetch('/rollcall.json').then(function(x){return x.json();}).then(render).catch(function(){});
if(window.EventSource){var es=new EventSource('/events');
 es.addEventListener('rollcall',function(e){say('');render(JSON.parse(e.data));});
 es.onerror=function(){say('reconnecting\u2026');};}
})();
)JS";

namespace {

void AppendHtml(std::string &out, const std::string &ansi, unsigned code_page) {
    std::string utf8;
    AppendUtf8FromAnsi(utf8, ansi.c_str(), code_page);
    AppendHtmlEscaped(out, utf8.data(), utf8.size());
}

void AppendPerson(std::string &out, const RollPerson &person, unsigned code_page) {
    out += "<li class=\"";
    out += RollStateWord(person.state);
    out += "\"><button class=\"person\" data-name=\"";
    AppendHtml(out, person.name, code_page);
    out += "\"><span class=\"box\"></span><span class=\"name\">";
    AppendHtml(out, person.name, code_page);
    out += "</span><span class=\"mark\">";
    out += RollStateWord(person.state);
    if (person.state != RollState::Missing && !person.marked.empty()) {
        out += ' ';
        AppendHtml(out, person.marked, code_page);
    }
    out += "</span></button></li>\n";
}

std::string When(const RollCall &roll) {
    if (!roll.held) return "No roll call is running";
    std::string stamp = IsoDateTime(roll.running ? roll.started : roll.ended);
    stamp[10] = ' ';
    return (roll.running ? "Started " : "Ended ") + stamp.substr(0, 16);
}

} // namespace

void AppendRollCallPage(std::string &out, const RollCall &roll, unsigned code_page) {
    out += "<!DOCTYPE html>\n<html lang=\"en\"><head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>Roll call</title>\n<style>";
    out += kRollCallStyle;
    out += "</style>\n</head>\n<body>\n";
    out += roll.drill ? "<div class=\"drill\" id=\"drill\">DRILL</div>\n"
                      : "<div class=\"drill\" id=\"drill\" hidden>DRILL</div>\n";
    out += "<main>\n<h1><span id=\"n-safe\">" + std::to_string(SafeCount(roll)) +
           "</span> <span class=\"of\">of</span> <span id=\"n-expected\">" +
           std::to_string(ExpectedCount(roll)) + "</span> <span class=\"of\">safe</span></h1>\n";
    out += "<p id=\"when\">" + When(roll) + "</p>\n<span id=\"state\" role=\"status\"></span>\n";
    out += "<input id=\"search\" type=\"search\" placeholder=\"Find a name\" aria-label=\"Find a "
           "name\">\n"
           "<ul class=\"people\" id=\"people\">\n";
    for (RollState state : {RollState::Missing, RollState::Safe, RollState::Left})
        for (const RollPerson &person : roll.people)
            if (person.state == state) AppendPerson(out, person, code_page);
    out += "</ul>\n<div class=\"controls\">";
    out += roll.running ? "<button id=\"end\">End roll call</button>"
                        : "<button id=\"end\" hidden>End roll call</button>";
    const char *hidden = roll.running ? " hidden" : "";
    out += std::string("<button class=\"start\"") + hidden + ">Start roll call</button>" +
           "<button class=\"start drill-start\"" + hidden + ">Start a drill</button></div>\n";
    out += "</main>\n<script>";
    out += kRollCallScript;
    out += "</script>\n</body>\n</html>\n";
}
