#include "server/page/live_page.h"

#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/overdue.h"

#include <cstring>

namespace {

const char kStyle[] = R"CSS(
*{box-sizing:border-box}
body{margin:0;font:16px/1.4 system-ui,-apple-system,"Segoe UI",Arial,sans-serif;color:#1b1f24;background:#f4f5f7}
main{max-width:1100px;margin:0 auto;padding:12px}
.bar{display:flex;flex-wrap:wrap;gap:8px 16px;align-items:center;margin:8px 0 12px}
.counts{font-weight:600}
.counts .n-in{color:#1a7f37}.counts .n-out{color:#9a3412}
#search{flex:1;min-width:160px;padding:8px 10px;font-size:16px;border:1px solid #c5cad1;border-radius:6px}
#state{color:#9a3412;font-weight:600}
table.board{width:100%;border-collapse:collapse;background:#fff;border-radius:8px;overflow:hidden;box-shadow:0 1px 3px rgba(0,0,0,.12)}
table.board th,table.board td{padding:8px 12px;text-align:left;border-bottom:1px solid #e6e8eb}
table.board thead th{background:#2b3440;color:#fff;font-weight:600}
td.status{font-weight:700}
tr.in td.status{color:#1a7f37}
tr.out td.status{color:#9a3412}
tr.overdue td.ret{color:#b91c1c;font-weight:700}
tr.overdue td.ret::after{content:" overdue";font-size:.75em;text-transform:uppercase;background:#b91c1c;color:#fff;border-radius:4px;padding:1px 5px;margin-left:6px}
tr.hidden{display:none}
form.sign{margin:16px 0;padding:12px;background:#fff;border-radius:8px;box-shadow:0 1px 3px rgba(0,0,0,.12);display:flex;flex-wrap:wrap;gap:8px;align-items:center}
form.sign input,form.sign select,form.sign button{font-size:16px;padding:7px 10px;border:1px solid #c5cad1;border-radius:6px;background:#fff}
form.sign button{cursor:pointer}
form.sign button.go{background:#2b3440;color:#fff;border-color:#2b3440}
#sign-result{font-weight:600}
@media (max-width:640px){
table.board thead{display:none}
table.board,table.board tbody,table.board tr,table.board td{display:block;width:100%}
table.board{background:none;box-shadow:none}
table.board tr{background:#fff;margin:0 0 10px;border-radius:8px;box-shadow:0 1px 3px rgba(0,0,0,.12);padding:6px 0}
table.board td{border:0;padding:3px 14px}
table.board td.name{font-size:1.15em;font-weight:700}
table.board td[data-label]:not(:empty)::before{content:attr(data-label) ": ";color:#57606a;font-weight:400}
table.board td:empty{display:none}
}
body.wall{font-size:2.2vw;background:#111;color:#eee}
body.wall main{max-width:none;padding:1vw 2vw}
body.wall table.board{background:#1c1f24;box-shadow:none}
body.wall table.board th,body.wall table.board td{border-color:#333;padding:.35em .8em}
body.wall table.board thead th{background:#000}
body.wall tr.in td.status{color:#4ade80}
body.wall tr.out td.status{color:#fb923c}
body.wall tr.overdue td.ret{color:#f87171}
body.wall .counts{font-size:1.2em}
body.wall font,body.wall .counts,body.wall table.board td{color:#eee}
)CSS";

const char kScript[] = R"JS(
(function(){
var rows=document.getElementById('rows'),search=document.getElementById('search');
var stateBox=document.getElementById('state'),members=[];
function cell(tr,cls,label,text){var td=document.createElement('td');td.className=cls;
 if(label)td.setAttribute('data-label',label);td.textContent=text;tr.appendChild(td);}
function filter(){if(!search)return;var q=search.value.trim().toLowerCase();
 for(var i=0;i<rows.rows.length;i++){var r=rows.rows[i];
  r.classList.toggle('hidden',q!==''&&r.textContent.toLowerCase().indexOf(q)<0);}}
function render(doc){members=doc.members;var nin=0;rows.textContent='';
 members.forEach(function(m){var tr=document.createElement('tr');
  tr.className=(m['in']?'in':'out')+(m.overdue?' overdue':'');if(m['in'])nin++;
  cell(tr,'name','',m.name);cell(tr,'status','',m['in']?'In':'Out');
  cell(tr,'time',m['in']?'In at':'Out at',m.time);
  cell(tr,'dest','Destination',m.destination);cell(tr,'ret','Back',m['return']);
  rows.appendChild(tr);});
 document.getElementById('n-in').textContent=nin;
 document.getElementById('n-out').textContent=members.length-nin;
 filter();fillNames();}
function state(text){stateBox.textContent=text;}
if(search)search.addEventListener('input',filter);
if(window.EventSource){var es=new EventSource('/events');
 es.addEventListener('board',function(e){state('');render(JSON.parse(e.data));});
 es.onerror=function(){state('reconnecting\u2026');};}
var form=document.getElementById('sign');if(!form)return;
var who=document.getElementById('who'),dest=document.getElementById('dest'),
 ret=document.getElementById('ret'),result=document.getElementById('sign-result');
function fillNames(){if(!who)return;var keep=who.value||localStorage.getItem('board.me')||'';
 who.textContent='';members.forEach(function(m){var o=document.createElement('option');
  o.textContent=m.name;o.value=m.name;who.appendChild(o);});if(keep)who.value=keep;}
function clock(d){var h=d.getHours(),m=d.getMinutes();
 return (h>12?h-12:h)+':'+(m<10?'0':'')+m+(h<12?'am':'pm');}
function later(min){return clock(new Date(Date.now()+min*60000));}
var presets={'in 30 min':function(){return later(30);},'in an hour':function(){return later(60);},
 'after lunch':function(){return '1:30pm';},'tomorrow':function(){return 'tomorrow';}};
Array.prototype.forEach.call(form.querySelectorAll('button.preset'),function(b){
 b.addEventListener('click',function(e){e.preventDefault();ret.value=presets[b.textContent]();});});
function send(inside,retry){var key=localStorage.getItem('board.key')||'';
 localStorage.setItem('board.me',who.value);
 var body={name:who.value,'in':inside,time:clock(new Date()),
  destination:inside?'':dest.value,'return':inside?'':ret.value};
 fetch('/sign',{method:'POST',headers:{'Content-Type':'application/json','X-Board-Key':key},
  body:JSON.stringify(body)}).then(function(r){
  if(r.status===401&&retry){var k=prompt('The board key, please');
   if(k!==null){localStorage.setItem('board.key',k);send(inside,false);}return;}
  return r.json().then(function(j){result.textContent=r.ok?(inside?'Signed in':'Signed out'):(j.error||('Refused: '+r.status));});
 }).catch(function(){result.textContent='Not sent: the board cannot be reached';});}
document.getElementById('sign-in').addEventListener('click',function(e){e.preventDefault();send(true,true);});
document.getElementById('sign-out').addEventListener('click',function(e){e.preventDefault();send(false,true);});
})();
)JS";

// Appends a field of the record (NUL-terminated within capacity) with the
// characters that mean something in HTML as entities. The data file's
// one-space stand-in for an empty field is empty.
void AppendEscaped(std::string &out, const char *field, size_t capacity) {
    size_t n = strnlen(field, capacity);
    if (n == 1 && field[0] == ' ') return;
    for (size_t i = 0; i < n; ++i) {
        switch (field[i]) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += field[i];
        }
    }
}

template <size_t N> void AppendCell(std::string &out, const char *cls, const char *label,
                                    const char (&field)[N], bool blank = false) {
    out += "<td class=\"";
    out += cls;
    out += '"';
    if (label[0]) {
        out += " data-label=\"";
        out += label;
        out += '"';
    }
    out += '>';
    if (!blank) AppendEscaped(out, field, N);
    out += "</td>";
}

} // namespace

void AppendLivePage(std::string &out, const UserTable &table, const ServerSettings &settings,
                    const ClockTime &now, const LiveView &view) {
    uint32_t count = UsedSlots(table);
    uint32_t in = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (table.slots[i].in_out != 0) ++in;

    out += "<!DOCTYPE html>\n<html lang=\"en\"><head>\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>In/Out Board</title>\n<style>";
    out += kStyle;
    out += "</style>\n</head>\n";
    out += view.wall ? "<body class=\"wall\">\n" : "<body>\n";
    out.append(settings.Header, strnlen(settings.Header, sizeof settings.Header));
    out += "\n<main>\n<div class=\"bar\"><span class=\"counts\"><span class=\"n-in\" id=\"n-in\">";
    out += std::to_string(in);
    out += "</span> in &middot; <span class=\"n-out\" id=\"n-out\">";
    out += std::to_string(count - in);
    out += "</span> out</span>";
    if (!view.wall)
        out += "<input id=\"search\" type=\"search\" placeholder=\"Search the board\" "
               "aria-label=\"Search the board\">";
    out += "<span id=\"state\" role=\"status\"></span></div>\n";
    out += "<table class=\"board\"><thead><tr><th>Name</th><th>Status</th><th>Time</th>"
           "<th>Destination</th><th>Return time</th></tr></thead>\n<tbody id=\"rows\">\n";
    for (uint32_t i = 0; i < count; ++i) {
        const UserRecord &record = table.slots[i];
        bool is_in = record.in_out != 0;
        out += is_in ? "<tr class=\"in\">" : IsOverdue(record, now) ? "<tr class=\"out overdue\">"
                                                                     : "<tr class=\"out\">";
        AppendCell(out, "name", "", record.name);
        out += is_in ? "<td class=\"status\">In</td>" : "<td class=\"status\">Out</td>";
        AppendCell(out, "time", is_in ? "In at" : "Out at", record.time);
        AppendCell(out, "dest", "Destination", record.destination, is_in);
        AppendCell(out, "ret", "Back", record.return_time, is_in);
        out += "</tr>\n";
    }
    out += "</tbody></table>\n";
    if (settings.WebSignIn && !view.wall) {
        out += "<form class=\"sign\" id=\"sign\"><label>I am <select id=\"who\">";
        for (uint32_t i = 0; i < count; ++i) {
            out += "<option>";
            AppendEscaped(out, table.slots[i].name, sizeof table.slots[i].name);
            out += "</option>";
        }
        out += "</select></label>"
               "<button class=\"go\" id=\"sign-in\">Sign in</button>"
               "<input id=\"dest\" placeholder=\"Destination\" maxlength=\"29\" aria-label=\"Destination\">"
               "<input id=\"ret\" placeholder=\"Back at\" maxlength=\"29\" aria-label=\"Back at\">"
               "<button class=\"preset\">in 30 min</button><button class=\"preset\">in an hour</button>"
               "<button class=\"preset\">after lunch</button><button class=\"preset\">tomorrow</button>"
               "<button class=\"go\" id=\"sign-out\">Sign out</button>"
               "<span id=\"sign-result\" role=\"status\"></span></form>\n";
    }
    out += "</main>\n";
    out.append(settings.Footer, strnlen(settings.Footer, sizeof settings.Footer));
    out += "\n<script>";
    out += kScript;
    out += "</script>\n</body>\n</html>\n";
}
