// The live board's script. It keeps the server's table current from the
// event stream (opening a new stream itself, after a growing wait, when one
// ends or is refused), tells a screen reader what changed, fits the wall to
// its screen (turning pages where even the smallest type cannot hold
// everyone) and drives the member's own panel.
#include "server/page/live_page.h"

namespace {

const char kScript[] = R"JS(
(function(){
var doc=document,body=doc.body,rows=doc.getElementById('rows'),search=doc.getElementById('search');
var stateBox=doc.getElementById('state'),announce=doc.getElementById('announce');
var wall=body.classList.contains('wall'),members=readRows(),page=0,pages=1;
var fillNames=function(){};
doc.documentElement.classList.add('js');
function byId(id){return doc.getElementById(id);}
function setText(id,text){var e=byId(id);if(e)e.textContent=text;}
function readRows(){var list=[];Array.prototype.forEach.call(rows.rows,function(tr){
 function at(c){var td=tr.querySelector('td.'+c);return td?td.textContent:'';}
 list.push({name:at('name'),'in':tr.classList.contains('in'),time:at('time'),
  destination:at('dest'),'return':at('ret'),overdue:tr.classList.contains('overdue')});});return list;}
function cell(tr,cls,label,text){var td=doc.createElement('td');td.className=cls;
 if(label)td.setAttribute('data-label',label);td.textContent=text;tr.appendChild(td);}
function clock(h,m){return (h%12||12)+':'+(m<10?'0':'')+m+(h<12?'am':'pm');}
function filter(){if(!search)return;var q=search.value.trim().toLowerCase();
 for(var i=0;i<rows.rows.length;i++){var r=rows.rows[i];
  r.classList.toggle('hidden',q!==''&&r.textContent.toLowerCase().indexOf(q)<0);}}
function outText(m){var t=m.destination?': '+m.destination:'';
 if(m['return'])t+=(t?', back ':', back ')+m['return'];return t;}
function changes(old,now){var before={},said=[];old.forEach(function(m){before[m.name]=m;});
 now.forEach(function(m){var o=before[m.name];if(!o)return;
  if(o['in']!==m['in']||o.destination!==m.destination||o['return']!==m['return'])
   said.push(m.name+(m['in']?' signed in':' signed out'+outText(m)));
  else if(m.overdue&&!o.overdue)said.push(m.name+' is overdue'+outText(m));});
 if(said.length>3)said=said.slice(0,3).concat(['and '+(said.length-3)+' more changes']);
 return said.join('. ');}
function render(d){var said=changes(members,d.members);members=d.members;var nin=0;rows.textContent='';
 members.forEach(function(m){var tr=doc.createElement('tr');
  tr.className=(m['in']?'in':'out')+(m.overdue?' overdue':'');if(m['in'])nin++;
  cell(tr,'name','',m.name);cell(tr,'status','',m['in']?'In':'Out');
  cell(tr,'time',m['in']?'In at':'Out at',m.time);
  cell(tr,'dest','Destination',m.destination);cell(tr,'ret','Back',m['return']);
  rows.appendChild(tr);});
 setText('n-in',nin);setText('n-out',members.length-nin);
 var made=/T(\d+):(\d+)/.exec(d.made||'');if(made)setText('made',clock(+made[1],+made[2]));
 if(said)announce.textContent=said;
 filter();fillNames();fit();}
function state(text){stateBox.textContent=text;}
if(search)search.addEventListener('input',filter);
// The wall: the columns and the type that hold every member on the screen
// at the largest size; below 14 px it keeps 14 px and turns pages instead.
function fit(){if(!wall)return;var all=rows.rows,n=all.length,lh=1.6,em=24;
 rows.style.height='';var box=rows.getBoundingClientRect(),top=box.top+window.scrollY;
 var below=doc.documentElement.getBoundingClientRect().bottom-box.bottom;
 var h=Math.max(40,window.innerHeight-top-below-2),w=rows.clientWidth,gap=window.innerWidth*0.02;
 var best={fs:0,c:1,r:n};
 for(var c=1;c<=8;c++){var r=Math.max(1,Math.ceil(n/c));
  var fs=Math.min(h/r/lh,(w-(c-1)*gap)/c/em,96);if(fs>best.fs)best={fs:fs,c:c,r:r};}
 var per=n;
 if(best.fs<14){em=22;var r2=Math.max(1,Math.floor(h/(14*lh))),c2=Math.max(1,Math.floor((w+gap)/(14*em+gap)));
  per=r2*c2;best={fs:14,c:c2,r:Math.min(r2,Math.ceil(n/c2))};}
 pages=Math.max(1,Math.ceil(n/per));if(page>=pages)page=0;
 for(var i=0;i<n;i++)all[i].classList.toggle('off',Math.floor(i/per)!==page);
 rows.style.height=h+'px';rows.style.setProperty('--fs',Math.floor(best.fs)+'px');
 rows.style.setProperty('--cols',best.c);rows.style.setProperty('--rows',best.r);
 setText('page',pages>1?'Page '+(page+1)+' of '+pages:'');}
if(wall){window.addEventListener('resize',fit);fit();
 setInterval(function(){if(pages>1){page=(page+1)%pages;fit();}},15000);}
// The stream. Ended or refused, the page waits (1 s, doubling up to 30 s,
// with jitter) and opens a new one, which sends the board at once.
var wait=1000;
function connect(){var es=new EventSource('/events'),opened=false;
 es.addEventListener('open',function(){opened=true;});
 es.addEventListener('board',function(e){wait=1000;state('');render(JSON.parse(e.data));});
 es.addEventListener('rollcall',rollCall);
 es.addEventListener('error',function(){es.close();
  state(opened?'reconnecting\u2026':'the board is busy, trying again');
  setTimeout(connect,wait*(0.8+0.4*Math.random()));wait=Math.min(wait*2,30000);});}
// The running roll call's banner (#rollcall) is shown from its events here.
function rollCall(e){var d=JSON.parse(e.data),box=byId('rollcall');box.textContent='';
 box.hidden=!d.running;if(!d.running)return;var a=document.createElement('a');a.href='/rollcall';
 a.textContent=(d.drill?'DRILL \u2013 ':'')+'Roll call: '+d.safe+' of '+d.expected+' safe';box.appendChild(a);}
if(window.EventSource)connect();
var form=byId('sign');
if(!form)return;
var who=byId('who'),dest=byId('dest'),ret=byId('ret'),result=byId('sign-result'),mine=byId('my-state');
// The member's own line: who the browser remembers and where they are.
function showMine(){var m=null;members.forEach(function(x){if(x.name===who.value)m=x;});
 mine.className=m&&!m['in']?'out':'';
 mine.textContent=!m?'':m['in']?'In since '+m.time:'Out since '+m.time+outText(m)+(m.overdue?' (overdue)':'');}
// The choices are made anew only when the names changed, so that a redraw
// does not close the list under the member's finger.
var listed=members.map(function(m){return m.name;}).join('\n');
fillNames=function(){var names=members.map(function(m){return m.name;}).join('\n');
 if(names!==listed){listed=names;var keep=who.value;who.textContent='';members.forEach(function(m){
  var o=doc.createElement('option');o.textContent=m.name;o.value=m.name;who.appendChild(o);});
  if(keep)who.value=keep;}
 showMine();};
var remembered=localStorage.getItem('board.me');if(remembered)who.value=remembered;showMine();
who.addEventListener('change',function(){localStorage.setItem('board.me',who.value);showMine();});
function later(min){var d=new Date(Date.now()+min*60000);return clock(d.getHours(),d.getMinutes());}
var presets={'in 30 min':function(){return later(30);},'in an hour':function(){return later(60);},
 'after lunch':function(){return '1:30pm';},'tomorrow':function(){return 'tomorrow';}};
Array.prototype.forEach.call(form.querySelectorAll('button.preset'),function(b){
 b.addEventListener('click',function(e){e.preventDefault();ret.value=presets[b.textContent]();});});
function send(inside,retry){var key=localStorage.getItem('board.key')||'',now=new Date();
 localStorage.setItem('board.me',who.value);
 var sent={name:who.value,'in':inside,time:clock(now.getHours(),now.getMinutes()),
  destination:inside?'':dest.value,'return':inside?'':ret.value};
 fetch('/sign',{method:'POST',headers:{'Content-Type':'application/json','X-Board-Key':key},
  body:JSON.stringify(sent)}).then(function(r){
  if(r.status===401&&retry){var k=prompt('The board key, please');
   if(k!==null){localStorage.setItem('board.key',k);send(inside,false);}return;}
  return r.text().then(function(t){var j={};try{j=JSON.parse(t);}catch(x){}
   result.textContent=r.ok?(inside?'Signed in':'Signed out'):(j.error||('Refused: '+r.status));});
 }).catch(function(){result.textContent='Not sent: the board cannot be reached';});}
form.addEventListener('submit',function(e){e.preventDefault();});
byId('sign-in').addEventListener('click',function(e){e.preventDefault();send(true,true);});
byId('sign-out').addEventListener('click',function(e){e.preventDefault();send(false,true);});
})();
)JS";

} // namespace

const std::string &LivePageScript() {
    static const std::string text(kScript);
    return text;
}
